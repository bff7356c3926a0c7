#include "app/prefs/pluginspage.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/pluginsettings.h"
#include "app/prefs/prefswidgets_p.h"
#include "host/pluginregistry.h"
#include "host/pluginsframe.h"
#include "views/languagewide.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextAll = 637;
constexpr int TextNone = 638;
constexpr int TextPlugHeader = 865; // 4 columns
constexpr int TextOverwrite = 869;
constexpr int TextSetDefault = 870;
constexpr int TextConfigure = 871;
constexpr int TextUninstall = 872;
constexpr int TextSilent = 873;
constexpr int TextAutoAddPeople = 874;

// Uninstall's question when the window program hands none.
class TMessageBoxQuestion : public IYesNoQuestion
{
public:
    explicit TMessageBoxQuestion(QWidget *parent)
        : m_parent(parent)
    {}

    bool AskYesNo(const QString &caption, const QString &text) override
    {
        return QMessageBox::question(m_parent->window(),
                                     caption,
                                     text,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No)
               == QMessageBox::Yes;
    }

private:
    QWidget *m_parent;
};

} // namespace

TPluginsPage::TPluginsPage(QWidget *parent)
    : TPrefsPageBase(u"PluginsPage"_s, parent)
    , m_boxQuestion(std::make_unique<TMessageBoxQuestion>(this))
{
    m_plugsList = new QTreeWidget(this);
    m_plugsList->setObjectName(u"PlugsList"_s);
    m_plugsList->setColumnCount(4);
    m_plugsList->setHeaderLabels({u"Name"_s, u"Type"_s, u"Description"_s, u"Version"_s});
    m_plugsList->setRootIsDecorated(false);
    SetTag(m_plugsList, TextPlugHeader);
    Layout()->addWidget(m_plugsList, 1);

    m_defBtn = NewButton(this, u"DefBtn"_s, TextSetDefault, u"Set as &default"_s);
    m_configBtn = NewButton(this, u"ConfigBtn"_s, TextConfigure, u"&Configure"_s);
    m_delPlugBtn = NewButton(this, u"DelPlugBtn"_s, TextUninstall, u"&Uninstall"_s);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_defBtn);
    buttons->addWidget(m_configBtn);
    buttons->addWidget(m_delPlugBtn);
    buttons->addStretch();
    Layout()->addLayout(buttons);

    m_miGroup = AddOverwriteGroup(u"MIGroup"_s, u"OverwriteList"_s, QString(), m_overwriteList);
    m_piGroup = AddOverwriteGroup(u"PIGroup"_s, u"OverwriteList2"_s, u"2"_s, m_overwriteList2);

    m_silentCheck = NewCheck(this, u"SilentCheck"_s, TextSilent, u"Run plug-ins without asking"_s);
    m_addPeopleCheck = NewCheck(this,
                                u"AddPeopleCheck"_s,
                                TextAutoAddPeople,
                                u"Add the people of fetched movies to the catalog"_s);
    Layout()->addWidget(m_silentCheck);
    Layout()->addWidget(m_addPeopleCheck);
    ConnectButtons();
}

TPluginsPage::~TPluginsPage() = default;

QGroupBox *TPluginsPage::AddOverwriteGroup(const QString &name,
                                           const QString &listName,
                                           const QString &suffix,
                                           QListWidget *&list)
{
    auto *group = new QGroupBox(u"Fields the plug-in may overwrite"_s, this);
    group->setObjectName(name);
    SetTag(group, TextOverwrite);
    list = new QListWidget(group);
    list->setObjectName(listName);
    QPushButton *all = NewButton(group, u"AllBtn"_s + suffix, TextAll, u"&All"_s);
    QPushButton *none = NewButton(group, u"NoneBtn"_s + suffix, TextNone, u"&None"_s);
    auto *groupButtons = new QVBoxLayout;
    groupButtons->addWidget(all);
    groupButtons->addWidget(none);
    groupButtons->addStretch();
    auto *groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(list, 1);
    groupLayout->addLayout(groupButtons);
    group->setVisible(false);
    Layout()->addWidget(group, 1);
    connect(list, &QListWidget::itemChanged, this, [this, list](QListWidgetItem *item) {
        if (m_filling || !m_plugins)
            return;
        m_plugins->SetOverwriteChecked(list->row(item), IsChecked(item));
    });
    auto checkAll = [this](bool checked) {
        if (!m_plugins)
            return;
        m_plugins->CheckAll(checked);
        ShowSelection();
    };
    connect(all, &QPushButton::clicked, this, [checkAll] { checkAll(true); });
    connect(none, &QPushButton::clicked, this, [checkAll] { checkAll(false); });
    return group;
}

void TPluginsPage::ConnectButtons()
{
    connect(m_plugsList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (m_filling || !m_plugins)
            return;
        m_plugins->Select(item ? m_plugsList->indexOfTopLevelItem(item) : -1);
        ShowSelection();
    });
    connect(m_defBtn, &QPushButton::clicked, this, [this] {
        if (!m_plugins)
            return;
        m_plugins->SetDefault();
        RefreshFonts();
    });
    connect(m_configBtn, &QPushButton::clicked, this, [this] {
        if (m_plugins)
            m_plugins->Configure(reinterpret_cast<void *>(window()->winId()));
    });
    connect(m_delPlugBtn, &QPushButton::clicked, this, [this] {
        if (m_plugins && m_plugins->Uninstall())
            FillRows();
    });
}

void TPluginsPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    m_context = context;
    m_filling = true;
    m_plugins.reset();
    if (context.registry) {
        TWideLanguage *language = context.language;
        TPluginTextSource texts = [language](int number) {
            return language ? language->Text(number) : QString();
        };
        IYesNoQuestion &question = context.question ? *context.question : *m_boxQuestion;
        m_plugins = std::make_unique<TPluginsFrame>(
            *context.registry, question, context.messages, std::move(texts));
        m_plugins->Load();
        m_silentCheck->setChecked(m_plugins->SilentMode());
        m_addPeopleCheck->setChecked(m_plugins->AutoAddPeople());
    } else {
        m_silentCheck->setChecked(settings.SilentMode);
        m_addPeopleCheck->setChecked(settings.AutoAddPeople);
    }
    FillRows();
    m_filling = false;
}

void TPluginsPage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    if (m_plugins && m_context.registry) {
        m_plugins->SetSilentMode(m_silentCheck->isChecked());
        m_plugins->SetAutoAddPeople(m_addPeopleCheck->isChecked());
        m_plugins->Accept();
        // Defaults set and plug-ins uninstalled on the page count as well.
        TSettingsPluginKeys keys(settings);
        m_context.registry->WriteSettings(keys);
    } else {
        settings.SilentMode = m_silentCheck->isChecked();
        settings.AutoAddPeople = m_addPeopleCheck->isChecked();
    }
}

void TPluginsPage::Refresh()
{
    ShowSelection();
}

void TPluginsPage::FillRows()
{
    const bool wasFilling = m_filling;
    m_filling = true;
    m_plugsList->clear();
    if (m_plugins) {
        for (const TPluginsFrameRow &row : m_plugins->Rows())
            new QTreeWidgetItem(m_plugsList,
                                {row.name, row.typeName, row.description, row.version});
        if (QTreeWidgetItem *item = m_plugsList->topLevelItem(m_plugins->Selected()))
            m_plugsList->setCurrentItem(item);
    }
    m_filling = wasFilling;
    RefreshFonts();
    ShowSelection();
}

void TPluginsPage::RefreshFonts()
{
    if (!m_plugins)
        return;
    const QList<TPluginsFrameRow> &rows = m_plugins->Rows();
    for (int i = 0; i < rows.size() && i < m_plugsList->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_plugsList->topLevelItem(i);
        QFont font = item->font(0);
        font.setBold(rows[i].bold);
        item->setFont(0, font);
    }
}

void TPluginsPage::ShowSelection()
{
    const QString caption = m_plugins ? m_plugins->DefaultButtonCaption() : QString();
    const QString builtIn = u"Set as &default"_s;
    const QString fallback =
        m_context.language ? m_context.language->Caption(TextSetDefault, builtIn) : builtIn;
    m_defBtn->setText(caption.isEmpty() ? fallback : caption);
    m_defBtn->setEnabled(m_plugins && m_plugins->DefaultButtonEnabled());
    m_configBtn->setEnabled(m_plugins && m_plugins->ConfigureEnabled());
    m_delPlugBtn->setEnabled(m_plugins && m_plugins->UninstallEnabled());

    const TOverwriteGroup group = m_plugins ? m_plugins->VisibleGroup() : TOverwriteGroup::None;
    m_miGroup->setVisible(group == TOverwriteGroup::Movie);
    m_piGroup->setVisible(group == TOverwriteGroup::Person);
    if (group == TOverwriteGroup::Movie)
        FillOverwriteList(m_overwriteList);
    else if (group == TOverwriteGroup::Person)
        FillOverwriteList(m_overwriteList2);
}

void TPluginsPage::FillOverwriteList(QListWidget *list)
{
    const bool wasFilling = m_filling;
    m_filling = true;
    list->clear();
    const QStringList items = m_plugins->OverwriteItems();
    const QList<bool> checks = m_plugins->OverwriteChecks();
    for (int i = 0; i < items.size(); ++i) {
        auto *item = new QListWidgetItem(items[i], list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        SetChecked(item, i < checks.size() && checks[i]);
    }
    m_filling = wasFilling;
}
