#include "app/moviemaster.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

TMovieMaster::TMovieMaster(const TMasterSetup &setup,
                           TPicker picker,
                           TWebSearch webSearch,
                           const TTexts &texts,
                           QWidget *parent)
    : QDialog(parent)
    , m_texts(texts)
    , m_picker(std::move(picker))
    , m_webSearch(std::move(webSearch))
    , m_infoPlugin(setup.Start.InfoPlugin)
    , m_posterPlugin(setup.Start.PosterPlugin)
    , m_coverPlugin(setup.Start.CoverPlugin)
{
    const auto text = [&texts](int number, const QString &english) {
        return texts ? texts(number, english) : english;
    };
    setObjectName(u"NewMovieMaster"_s);
    setWindowTitle(text(480, u"New Movie Master"_s));

    auto *form = new QFormLayout;
    m_title = new QLineEdit(setup.Start.Title, this);
    m_title->setObjectName(u"TitleEdit"_s);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(m_title);
    titleRow->addWidget(
        WebSearchButton(setup.Engines, text(492, u"Search the web for the title"_s)));
    form->addRow(text(481, u"Title:"_s), titleRow);

    m_origTitle = new QLineEdit(setup.Start.OrigTitle, this);
    m_origTitle->setObjectName(u"OrigTitleEdit"_s);
    form->addRow(text(401, u"Original Title:"_s), m_origTitle);

    m_files = new QLineEdit(setup.Start.Files, this);
    m_files->setObjectName(u"FilesEdit"_s);
    auto *browse = new QPushButton(text(483, u"&Browse"_s), this);
    browse->setObjectName(u"BrowseBtn"_s);
    connect(browse, &QPushButton::clicked, this, &TMovieMaster::Browse);
    connect(m_files, &QLineEdit::textChanged, this, &TMovieMaster::UpdateScreenshotBox);
    auto *filesRow = new QHBoxLayout;
    filesRow->addWidget(m_files);
    filesRow->addWidget(browse);
    form->addRow(text(482, u"Files:"_s), filesRow);

    const QString none = text(1870, u"(none)"_s);
    auto *fill = new QGroupBox(text(493, u"Fill the new movie with"_s), this);
    auto *grid = new QGridLayout(fill);
    const auto check = [this](const QString &name, const QString &caption, bool on) {
        auto *box = new QCheckBox(caption, this);
        box->setObjectName(name);
        box->setChecked(on);
        return box;
    };
    m_info = check(u"InfoCheck"_s, text(484, u"Movie Information"_s), setup.Start.Info);
    m_poster = check(u"PosterCheck"_s, text(485, u"Poster"_s), setup.Start.Poster);
    m_covers = check(u"CoversCheck"_s, text(486, u"Front and CD cover"_s), setup.Start.Covers);
    m_fileInfo = check(u"FileInfoCheck"_s, text(487, u"File Information"_s), setup.Start.FileInfo);
    m_screenshots = check(
        u"ScreenshotsCheck"_s, text(488, u"Open Screenshot maker"_s), setup.Start.Screenshots);
    m_wish = check(u"WishCheck"_s, text(489, u"Wish"_s), setup.Start.Wish);
    m_seen = check(u"SeenCheck"_s, text(490, u"Seen"_s), setup.Start.Seen);
    grid->addWidget(m_info, 0, 0);
    grid->addWidget(PluginButton(u"InfoPluginBtn"_s, setup.InfoPlugins, m_infoPlugin, none), 0, 1);
    grid->addWidget(m_poster, 1, 0);
    grid->addWidget(
        PluginButton(u"PosterPluginBtn"_s, setup.PosterPlugins, m_posterPlugin, none), 1, 1);
    grid->addWidget(m_covers, 2, 0);
    grid->addWidget(
        PluginButton(u"CoverPluginBtn"_s, setup.CoverPlugins, m_coverPlugin, none), 2, 1);
    grid->addWidget(m_fileInfo, 3, 0);
    grid->addWidget(m_screenshots, 4, 0);
    grid->addWidget(m_wish, 5, 0);
    grid->addWidget(m_seen, 6, 0);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *go = buttons->addButton(text(491, u"&Go"_s), QDialogButtonBox::AcceptRole);
    go->setObjectName(u"GoBtn"_s);
    go->setDefault(true);
    buttons->addButton(text(1751, u"&Cancel"_s), QDialogButtonBox::RejectRole)
        ->setObjectName(u"CancelBtn"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(fill);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
    UpdateScreenshotBox();
}

QToolButton *TMovieMaster::WebSearchButton(const QStringList &engineNames, const QString &toolTip)
{
    auto *search = new QToolButton(this);
    search->setObjectName(u"WebSearchBtn"_s);
    search->setIcon(QIcon::fromTheme(u"system-search"_s,
                                     style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    search->setToolTip(toolTip);
    search->setPopupMode(QToolButton::InstantPopup);
    auto *engines = new QMenu(search);
    for (int i = 0; i < engineNames.size(); ++i) {
        if (engineNames.at(i) == u"-"_s) {
            engines->addSeparator();
            continue;
        }
        QAction *action = engines->addAction(engineNames.at(i));
        action->setObjectName(u"WebSearch%1"_s.arg(i));
        connect(action, &QAction::triggered, this, [this, i] { AskSearchText(i); });
    }
    search->setMenu(engines);
    search->setEnabled(!engines->isEmpty());
    return search;
}

QString TMovieMaster::SearchText() const
{
    const QString title = m_title->text().trimmed();
    return title.isEmpty() ? m_origTitle->text().trimmed() : title;
}

void TMovieMaster::AskSearchText(int engine)
{
    if (!m_webSearch)
        return;
    // Window-modal so the master stays usable after the browser opens; the text is a
    // suggestion the user often needs to trim (a year, an edition).
    auto *ask = new QInputDialog(this);
    ask->setObjectName(u"WebSearchTextDialog"_s);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowTitle(m_texts ? m_texts(492, u"Search the web for the title"_s)
                                : u"Search the web for the title"_s);
    ask->setLabelText(m_texts ? m_texts(3874, u"Search for:"_s) : u"Search for:"_s);
    ask->setTextValue(SearchText());
    connect(ask, &QInputDialog::textValueSelected, this, [this, engine](const QString &text) {
        if (!text.trimmed().isEmpty())
            m_webSearch(engine, text.trimmed());
    });
    ask->open();
}

QToolButton *TMovieMaster::PluginButton(const QString &name,
                                        const QList<TMasterPlugin> &plugins,
                                        int &chosen,
                                        const QString &none)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const auto caption = [&plugins, none](int index) {
        for (const TMasterPlugin &plugin : plugins) {
            if (plugin.Index == index)
                return QString(plugin.Caption).remove(u'&');
        }
        return none;
    };
    button->setText(caption(chosen));
    auto *menu = new QMenu(button);
    for (const TMasterPlugin &plugin : plugins) {
        QAction *action = menu->addAction(plugin.Caption);
        connect(
            action, &QAction::triggered, this, [button, &chosen, caption, index = plugin.Index] {
                chosen = index;
                button->setText(caption(index));
            });
    }
    button->setMenu(menu);
    button->setEnabled(!plugins.isEmpty());
    return button;
}

void TMovieMaster::Browse()
{
    const QString files = m_picker ? m_picker() : QString();
    m_files->setText(files);
    if (!m_title->text().trimmed().isEmpty() || files.isEmpty())
        return;
    const QString title = TitleFromFileName(files.section(u'|', 0, 0));
    m_title->setText(title);
    if (!title.isEmpty()) {
        m_title->setFocus();
        m_title->selectAll();
    }
}

void TMovieMaster::UpdateScreenshotBox()
{
    m_screenshots->setEnabled(!m_files->text().trimmed().isEmpty());
}

TMasterChoice TMovieMaster::Choice() const
{
    TMasterChoice choice;
    choice.Title = m_title->text().trimmed();
    choice.OrigTitle = m_origTitle->text().trimmed();
    choice.Files = m_files->text().trimmed();
    choice.Info = m_info->isChecked();
    choice.Poster = m_poster->isChecked();
    choice.Covers = m_covers->isChecked();
    choice.FileInfo = m_fileInfo->isChecked();
    choice.Wish = m_wish->isChecked();
    choice.Screenshots = m_screenshots->isChecked();
    choice.Seen = m_seen->isChecked();
    choice.InfoPlugin = m_infoPlugin;
    choice.PosterPlugin = m_posterPlugin;
    choice.CoverPlugin = m_coverPlugin;
    return choice;
}
