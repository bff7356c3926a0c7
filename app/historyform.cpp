#include "app/historyform.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/daycount.h"

using namespace Qt::StringLiterals;

THistoryForm::THistoryForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(u"LHForm"_s);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"HistoryList"_s);
    m_list->setColumnCount(4);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    const int widths[] = {75, 90, 140, 268};
    for (int column = 0; column < 4; ++column)
        m_list->setColumnWidth(column, widths[column]);

    m_close = new QPushButton(this);
    m_close->setObjectName(u"CloseBtn"_s);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);

    // Stretches on both sides keep the button centred whatever the width.
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    SetTexts({});
    resize(75 + 90 + 140 + 268 + 40, 360);
}

void THistoryForm::SetTexts(const TTextLookup &text)
{
    const auto tr = [&text](int number, const QString &english) {
        return text ? text(number, english) : english;
    };
    setWindowTitle(tr(1772, u"Loan history"_s));
    m_list->setHeaderLabels(
        {tr(1773, u"Date"_s), tr(1774, u"Action"_s), tr(1775, u"Name"_s), tr(1776, u"Movie"_s)});
    m_close->setText(tr(1777, u"&Close"_s));
    m_returned = tr(1881, u"Returned"_s);
    m_lent = tr(1882, u"Lent"_s);
}

void THistoryForm::ShowEntries(const QList<THistoryEntry> &entries)
{
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(entries.size());
    const QLocale locale;
    for (const THistoryEntry &entry : entries) {
        auto *item = new QTreeWidgetItem;
        if (entry.when)
            item->setText(
                0, locale.toString(DaysToDateTime(*entry.when).date(), QLocale::ShortFormat));
        item->setText(1, entry.returned ? m_returned : m_lent);
        item->setText(2, entry.borrower);
        item->setText(3, entry.movie);
        items.append(item);
    }
    m_list->addTopLevelItems(items);
}
