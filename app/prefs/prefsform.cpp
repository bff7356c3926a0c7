#include "app/prefs/prefsform.h"

#include <algorithm>

#include <QColorDialog>
#include <QFileDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/prefs/cardpage.h"
#include "app/prefs/checklistpage.h"
#include "app/prefs/choicespage.h"
#include "app/prefs/colourspage.h"
#include "app/prefs/customfieldspage.h"
#include "app/prefs/dialogspage.h"
#include "app/prefs/folderspage.h"
#include "app/prefs/internetpage.h"
#include "app/prefs/miscpage.h"
#include "app/prefs/pluginspage.h"
#include "app/prefs/prefswidgets_p.h"
#include "app/prefs/titlepage.h"
#include "app/prefs/treepage.h"
#include "app/prefs/websearchpage.h"
#include "views/languagewide.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

// Text numbers of the window's captions in the language table.
constexpr int TextTitle = 600;
constexpr int TextPageTree = 601; // the 28 nodes in pre-order
// Shared with the other dialogs.
constexpr int TextOk = 1750;
constexpr int TextCancel = 1751;

const char16_t *const PageNames[TPrefsForm::PageCount] = {u"Movies",
                                                          u"Title formatting",
                                                          u"Tree View Nodes",
                                                          u"Grid View columns",
                                                          u"Visible items",
                                                          u"Custom items",
                                                          u"Information card",
                                                          u"People",
                                                          u"Title formatting",
                                                          u"Tree View Nodes",
                                                          u"Grid View Columns",
                                                          u"Visible items",
                                                          u"Information card",
                                                          u"Lists",
                                                          u"Genres",
                                                          u"Media types",
                                                          u"Quality",
                                                          u"Video codecs",
                                                          u"Audio codecs",
                                                          u"Translation",
                                                          u"Career",
                                                          u"Colours",
                                                          u"Dialogs",
                                                          u"Folders",
                                                          u"Web search",
                                                          u"Plugins",
                                                          u"Internet Connection",
                                                          u"Miscellaneous"};

} // namespace

TPrefsForm::TPrefsForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"PrefsForm"_s);
    setWindowTitle(u"Preferences"_s);
    SetTag(this, TextTitle);

    BuildPageTree();
    BuildPages();
    SetColorChooser([this](const QColor &initial, const QString &title) {
        return QColorDialog::getColor(initial, this, title);
    });
    SetFolderChooser([this](const QString &start) {
        return QFileDialog::getExistingDirectory(this, QString(), start);
    });
    BuildButtons();
    ShowPage(TPrefsPage::MovieTitle);
}

TPrefsForm::~TPrefsForm() = default;

void TPrefsForm::BuildPageTree()
{
    m_pageTree = new QTreeWidget(this);
    m_pageTree->setObjectName(u"PageTree"_s);
    m_pageTree->setHeaderHidden(true);
    m_pageTree->setColumnCount(1);
    m_pageTree->setFixedWidth(230);
    SetTag(m_pageTree, TextPageTree);

    // Group nodes and the number of pages under each, in pre-order.
    const int childCounts[TPrefsForm::PageCount] = {6, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 7,
                                                    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTreeWidgetItem *group = nullptr;
    int remaining = 0;
    for (int i = 0; i < PageCount; ++i) {
        QTreeWidgetItem *item = nullptr;
        if (remaining > 0) {
            item = new QTreeWidgetItem(group, {Str(PageNames[i])});
            --remaining;
        } else {
            item = new QTreeWidgetItem(m_pageTree, {Str(PageNames[i])});
            group = item;
            remaining = childCounts[i];
        }
        item->setData(0, Qt::UserRole, -1);
        m_nodes.push_back(item);
    }
    m_pageTree->expandAll();

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(u"PageStack"_s);
    m_pageCaption = new QLabel(this);
    m_pageCaption->setObjectName(u"PageCaption"_s);
    connect(m_pageTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        OnPageChanged(item);
    });
}

template <typename TPage> TPage *TPrefsForm::AddPage(TPrefsPage node, TPage *page)
{
    const int index = m_stack->addWidget(page);
    m_nodes[size_t(node)]->setData(0, Qt::UserRole, index);
    m_pages.push_back(page);
    return page;
}

void TPrefsForm::BuildPages()
{
    using enum TPrefsPage;
    using TKind = TCheckListPage::TKind;
    constexpr TPrefsSubject movies = TPrefsSubject::Movies;
    constexpr TPrefsSubject people = TPrefsSubject::People;
    AddPage(MovieTitle, new TTitlePage(movies, m_stack));
    AddPage(PeopleTitle, new TTitlePage(people, m_stack));
    AddPage(MovieTree, new TTreePage(movies, m_stack));
    AddPage(PeopleTree, new TTreePage(people, m_stack));
    AddPage(MovieGrid, new TCheckListPage(TKind::MovieColumns, m_stack));
    AddPage(MovieItems, new TCheckListPage(TKind::MovieItems, m_stack));
    AddPage(PeopleGrid, new TCheckListPage(TKind::PeopleColumns, m_stack));
    AddPage(PeopleItems, new TCheckListPage(TKind::PeopleItems, m_stack));
    AddPage(MovieCustom, new TCustomFieldsPage(m_stack));
    AddPage(MovieCard, new TCardPage(movies, m_stack));
    AddPage(PeopleCard, new TCardPage(people, m_stack));

    const struct
    {
        TPrefsPage node;
        const char16_t *name;
        QStringList TSettings::*key;
    } lists[] = {{Genres, u"GenresList", &TSettings::GenresList},
                 {MediaTypes, u"MediaTypeList", &TSettings::MediaTypeList},
                 {Quality, u"QualityList", &TSettings::QualityList},
                 {VideoCodecs, u"VideoCodecsList", &TSettings::VideoCodecsList},
                 {AudioCodecs, u"AudioCodecsList", &TSettings::AudioCodecsList},
                 {Translation, u"TranslationList", &TSettings::TranslationList},
                 {Career, u"CareerList", &TSettings::CareerList}};
    for (const auto &list : lists)
        AddPage(list.node, new TChoicesPage(Str(list.name), list.key, m_stack));

    m_colours = AddPage(Colours, new TColoursPage(m_stack));
    m_dialogs = AddPage(Dialogs, new TDialogsPage(m_stack));
    m_dialogs->SetLanguageHandler([this](int index) { OnLanguageChosen(index); });
    m_folders = AddPage(Folders, new TFoldersPage(m_stack));
    AddPage(WebSearch, new TWebSearchPage(m_stack));
    AddPage(Plugins, new TPluginsPage(m_stack));
    m_internet = AddPage(Internet, new TInternetPage(m_stack));
    AddPage(Misc, new TMiscPage(m_stack));
}

void TPrefsForm::BuildButtons()
{
    QPushButton *ok = NewButton(this, u"OKBtn"_s, TextOk, u"&OK"_s);
    QPushButton *cancel = NewButton(this, u"CancelBtn"_s, TextCancel, u"&Cancel"_s);
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    auto *right = new QVBoxLayout;
    QFont captionFont = m_pageCaption->font();
    captionFont.setBold(true);
    m_pageCaption->setFont(captionFont);
    right->addWidget(m_pageCaption);
    right->addWidget(m_stack, 1);
    auto *panes = new QHBoxLayout;
    panes->addWidget(m_pageTree);
    panes->addLayout(right, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(panes, 1);
    layout->addLayout(buttons);
}

void TPrefsForm::SetColorChooser(TColorChooser chooser)
{
    m_colours->SetColorChooser(std::move(chooser));
}

void TPrefsForm::SetFolderChooser(TFolderChooser chooser)
{
    m_folders->SetFolderChooser(std::move(chooser));
}

void TPrefsForm::SetUpdateChecker(std::function<void()> checker)
{
    m_internet->SetUpdateChecker(std::move(checker));
}

void TPrefsForm::ShowUpdateStatus(const QString &text)
{
    m_internet->ShowUpdateStatus(text);
}

void TPrefsForm::Load(const TSettings &settings, const TPrefsContext &context)
{
    m_context = context;
    for (TPrefsPageBase *page : m_pages)
        page->Load(settings, context);
    m_initialLanguage = context.language ? context.language->LanguageIndex() : -1;
    ApplyTranslation();
}

void TPrefsForm::Store(TSettings &settings)
{
    for (TPrefsPageBase *page : m_pages)
        page->Store(settings);
    if (TWideLanguage *language = m_context.language; language && ChosenLanguage() >= 0) {
        if (language->LanguageIndex() != ChosenLanguage())
            language->SetLanguage(ChosenLanguage());
        settings.Language = language->LanguageId();
        // Accepted: a later Cancel has nothing to restore.
        m_initialLanguage = language->LanguageIndex();
    }
}

bool TPrefsForm::Execute(TSettings &settings, const TPrefsContext &context)
{
    Load(settings, context);
    if (exec() != QDialog::Accepted)
        return false;
    Store(settings);
    return true;
}

void TPrefsForm::reject()
{
    RestoreLanguage();
    QDialog::reject();
}

void TPrefsForm::ShowPage(int index)
{
    if (index < 0 || index >= static_cast<int>(m_nodes.size()))
        return;
    m_pageTree->setCurrentItem(m_nodes[size_t(index)]);
}

int TPrefsForm::CurrentPage() const
{
    const auto it = std::find(m_nodes.begin(), m_nodes.end(), m_pageTree->currentItem());
    return it == m_nodes.end() ? -1 : static_cast<int>(it - m_nodes.begin());
}

int TPrefsForm::ChosenLanguage() const
{
    return m_dialogs->ChosenLanguage();
}

void TPrefsForm::OnPageChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    QTreeWidgetItem *leaf = item;
    while (leaf->childCount() > 0)
        leaf = leaf->child(0);
    m_stack->setCurrentIndex(leaf->data(0, Qt::UserRole).toInt());
    QString caption = leaf->text(0);
    caption.remove(u'&');
    m_pageCaption->setText(caption);
}

void TPrefsForm::OnLanguageChosen(int index)
{
    TWideLanguage *language = m_context.language;
    if (!language || index < 0 || index == language->LanguageIndex())
        return;
    language->SetLanguage(index);
    ApplyTranslation();
}

void TPrefsForm::RestoreLanguage()
{
    TWideLanguage *language = m_context.language;
    if (!language || m_initialLanguage < 0 || language->LanguageIndex() == m_initialLanguage)
        return;
    language->SetLanguage(m_initialLanguage);
    m_dialogs->ShowLanguage(m_initialLanguage);
    ApplyTranslation();
}

void TPrefsForm::ApplyTranslation()
{
    if (m_context.language)
        Translate(*m_context.language, this);
    // Texts that follow from others or from a page's state.
    for (TPrefsPageBase *page : m_pages)
        page->Refresh();
    OnPageChanged(m_pageTree->currentItem());
}
