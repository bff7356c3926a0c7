#include "app/prefs/websearchpage.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextAddSeparator = 636;
constexpr int TextWebHeader = 860; // 2 columns
constexpr int TextWebList = 862;

} // namespace

TWebSearchPage::TWebSearchPage(QWidget *parent)
    : TPrefsPageBase(u"WebSearchPage"_s, parent)
{
    Layout()->addWidget(
        NewLabel(this, TextWebList, u"Search engines (a name \"-\" makes a separator line):"_s));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"WebSearchList"_s);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({u"Name"_s, u"URL"_s});
    m_list->setRootIsDecorated(false);
    m_list->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::SelectedClicked);
    SetTag(m_list, TextWebHeader);

    QPushButton *add = NewButton(this, u"WebAddBtn"_s, TextAdd, u"&Add"_s);
    QPushButton *separator =
        NewButton(this, u"WebSeparatorBtn"_s, TextAddSeparator, u"Add &separator"_s);
    QPushButton *remove = NewButton(this, u"WebDeleteBtn"_s, TextDelete, u"&Delete"_s);
    QPushButton *up = NewButton(this, u"WebUpBtn"_s, TextUp, u"Move &up"_s);
    QPushButton *down = NewButton(this, u"WebDownBtn"_s, TextDown, u"Move &down"_s);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {add, separator, remove, up, down})
        buttons->addWidget(button);
    buttons->addStretch();
    auto *row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    row->addLayout(buttons);
    Layout()->addLayout(row, 1);

    connect(add, &QPushButton::clicked, this, [this] {
        QTreeWidgetItem *item = AddRow(QString(), QString());
        m_list->setCurrentItem(item);
        m_list->editItem(item, 0);
    });
    connect(separator, &QPushButton::clicked, this, [this] {
        m_list->setCurrentItem(AddRow(u"-"_s, QString()));
    });
    connect(remove, &QPushButton::clicked, this, [this] { delete m_list->currentItem(); });
    connect(up, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_list, -1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_list, 1); });
}

QTreeWidgetItem *TWebSearchPage::AddRow(const QString &name, const QString &url)
{
    auto *item = new QTreeWidgetItem(m_list, {name, url});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

void TWebSearchPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    m_list->clear();
    const qsizetype engines = std::max(settings.SearchNames.size(), settings.SearchUrls.size());
    for (qsizetype i = 0; i < engines; ++i)
        AddRow(settings.SearchNames.value(i), settings.SearchUrls.value(i));
}

void TWebSearchPage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    settings.SearchNames.clear();
    settings.SearchUrls.clear();
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_list->topLevelItem(i);
        settings.SearchNames.append(item->text(0));
        settings.SearchUrls.append(item->text(1));
    }
}
