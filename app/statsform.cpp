#include "app/statsform.h"

#include <algorithm>
#include <cmath>

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QKeySequence>
#include <QLabel>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

// Text numbers of the window: its title, the tabs (one after the other from the totals
// tab), the captions of the totals and the buttons.
constexpr int WindowTag = 1600;
constexpr int FirstTabTag = 1601;
constexpr int FirstTotalTag = 1614;
constexpr int PreviousTag = 1622;
constexpr int NextTag = 1623;
constexpr int CloseTag = 1624;

const char16_t *const TotalCaptions[] = {u"Movies in Database",
                                         u"People in Database",
                                         u"Loaned",
                                         u"Seen",
                                         u"Not seen",
                                         u"Wish",
                                         u"Total size of the movies",
                                         u"Total duration of the movies"};
const char16_t *const TotalNames[] = {
    u"Movies", u"People", u"Loaned", u"Seen", u"NotSeen", u"Wish", u"Size", u"Duration"};

void SetTag(QObject *object, int tag)
{
    object->setProperty(TagProperty, tag);
}

} // namespace

TStatsForm::TStatsForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(u"StatsForm"_s);
    setWindowTitle(u"Statistics"_s);
    SetTag(this, WindowTag);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(u"PageControl"_s);
    SetTag(m_tabs, FirstTabTag);
    CreateTotalsPage();
    for (int i = 0; i < StatChartCount; ++i)
        CreateChartPage(static_cast<TStatChart>(i));

    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(u"PageLabel"_s);
    m_previous = new QPushButton(u"&Previous Page"_s, this);
    m_previous->setObjectName(u"PrevBtn"_s);
    SetTag(m_previous, PreviousTag);
    m_next = new QPushButton(u"&Next Page"_s, this);
    m_next->setObjectName(u"NextBtn"_s);
    SetTag(m_next, NextTag);
    m_close = new QPushButton(u"&Close"_s, this);
    m_close->setObjectName(u"CloseBtn"_s);
    SetTag(m_close, CloseTag);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_pageLabel);
    buttons->addStretch();
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addSpacing(12);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { UpdatePaging(); });
    connect(m_previous, &QPushButton::clicked, this, [this] { PreviousPage(); });
    connect(m_next, &QPushButton::clicked, this, [this] { NextPage(); });
    connect(m_close, &QPushButton::clicked, this, [this] { close(); });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { close(); });

    resize(1000, 660);
    UpdatePaging();
}

void TStatsForm::CreateTotalsPage()
{
    auto *page = new QWidget(m_tabs);
    page->setObjectName(u"TotalsSheet"_s);
    auto *form = new QFormLayout(page);
    form->setLabelAlignment(Qt::AlignLeft);
    form->setHorizontalSpacing(24);
    for (int i = 0; i < int(std::size(TotalCaptions)); ++i) {
        const QString name = QString::fromUtf16(TotalNames[i]);
        auto *caption = new QLabel(QString::fromUtf16(TotalCaptions[i]), page);
        caption->setObjectName(name + u"Caption"_s);
        SetTag(caption, FirstTotalTag + i);
        auto *value = new QLabel(page);
        value->setObjectName(name + u"Label"_s);
        // Users copy the numbers elsewhere.
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
        m_totalValues.append(value);
    }
    m_tabs->addTab(page, u"Totals"_s);
}

void TStatsForm::CreateChartPage(TStatChart chart)
{
    TChartPage &page = m_charts[static_cast<size_t>(chart)];
    auto *qchart = new QChart;
    qchart->legend()->hide();
    if (IsPieChart(chart)) {
        page.pie = new QPieSeries(qchart);
        qchart->addSeries(page.pie);
    } else {
        page.bars = new QHorizontalBarSeries(qchart);
        page.barSet = new QBarSet(StatChartName(chart), page.bars);
        page.bars->append(page.barSet);
        // The count stands beside each bar.
        page.bars->setLabelsVisible(true);
        page.bars->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        page.bars->setLabelsFormat(u"@value"_s);
        qchart->addSeries(page.bars);
        page.categories = new QBarCategoryAxis(qchart);
        // A full page leaves each caption a little less height than the axis asks for;
        // shortening them to "..." would hide every name.
        page.categories->setTruncateLabels(false);
        qchart->addAxis(page.categories, Qt::AlignLeft);
        page.bars->attachAxis(page.categories);
        page.values = new QValueAxis(qchart);
        page.values->setLabelFormat(u"%d"_s);
        qchart->addAxis(page.values, Qt::AlignBottom);
        page.bars->attachAxis(page.values);
        // The theme colours bar labels for inside the bars; these stand beside them, on the
        // chart's background, like the axis labels.
        page.barSet->setLabelColor(page.values->labelsBrush().color());
    }
    page.view = new QChartView(qchart, m_tabs);
    page.view->setObjectName(StatChartName(chart).remove(u' ') + u"Chart"_s);
    page.view->setRenderHint(QPainter::Antialiasing);
    m_tabs->addTab(page.view, StatChartName(chart));
}

void TStatsForm::Fill(const TStatistics &stats, const TStatTexts &texts)
{
    m_pageFormat = texts.pageFormat;
    const TStatTotals &totals = stats.totals;
    const QString values[] = {QString::number(totals.movies),
                              QString::number(totals.people),
                              QString::number(totals.loaned),
                              QString::number(totals.seen),
                              QString::number(totals.notSeen),
                              QString::number(totals.wish),
                              SizeText(totals.sizeMegabytes),
                              DurationText(totals.minutes, texts)};
    for (qsizetype i = 0; i < m_totalValues.size(); ++i)
        m_totalValues[i]->setText(values[i]);

    for (int i = 0; i < StatChartCount; ++i) {
        TChartPage &chart = m_charts[static_cast<size_t>(i)];
        chart.points = ChartPoints(stats, static_cast<TStatChart>(i), texts);
        chart.page = 1;
        if (chart.pie)
            ShowPie(chart);
        else
            ShowPage(chart);
    }
    UpdatePaging();
}

void TStatsForm::ShowPage(TChartPage &chart)
{
    const qsizetype first = qsizetype(chart.page - 1) * StatPointsPerPage;
    const qsizetype count =
        std::clamp<qsizetype>(chart.points.size() - first, 0, StatPointsPerPage);
    chart.barSet->remove(0, chart.barSet->count());
    QStringList categories;
    qint64 highest = 0;
    // The axis starts at the bottom; the first point of a page stands at the top, where
    // reading starts.
    for (qsizetype i = first + count - 1; i >= first; --i) {
        const TStatPoint &point = chart.points[i];
        // The category axis drops repeated captions, which would shift every later bar.
        QString caption = point.label;
        while (categories.contains(caption))
            caption.append(u' ');
        categories.append(caption);
        chart.barSet->append(double(point.count));
        highest = std::max(highest, point.count);
    }
    chart.categories->setCategories(categories);
    // Counts are whole numbers: ticks at whole steps of 1, 2, 5, 10, 20, 50, ... with room
    // beside the longest bar for its count.
    const qint64 top = std::max<qint64>(1, qint64(std::ceil(double(highest) * 1.1)));
    qint64 step = 1;
    for (int i = 0; top / step > 8; ++i)
        step = i % 3 == 1 ? step * 5 / 2 : step * 2;
    chart.values->setTickType(QValueAxis::TicksDynamic);
    chart.values->setTickAnchor(0);
    chart.values->setTickInterval(double(step));
    chart.values->setRange(0, double((top + step - 1) / step * step));
}

void TStatsForm::ShowPie(TChartPage &chart)
{
    chart.pie->clear();
    for (const TStatPoint &point : std::as_const(chart.points)) {
        QPieSlice *slice =
            chart.pie->append(u"%1: %2"_s.arg(point.label).arg(point.count), double(point.count));
        // Empty slices take no room, and their labels would pile up on each other.
        slice->setLabelVisible(point.count > 0);
    }
}

TStatsForm::TChartPage *TStatsForm::ShownChart()
{
    const int index = m_tabs->currentIndex() - 1;
    return index >= 0 && index < StatChartCount ? &m_charts[static_cast<size_t>(index)] : nullptr;
}

const TStatsForm::TChartPage *TStatsForm::ShownChart() const
{
    const int index = m_tabs->currentIndex() - 1;
    return index >= 0 && index < StatChartCount ? &m_charts[static_cast<size_t>(index)] : nullptr;
}

int TStatsForm::CurrentPage() const
{
    const TChartPage *chart = ShownChart();
    return chart && chart->bars ? chart->page : 1;
}

int TStatsForm::PageCount() const
{
    const TChartPage *chart = ShownChart();
    return chart && chart->bars ? StatPageCount(chart->points.size()) : 1;
}

void TStatsForm::NextPage()
{
    TChartPage *chart = ShownChart();
    if (!chart || !chart->bars || chart->page >= PageCount())
        return;
    ++chart->page;
    ShowPage(*chart);
    UpdatePaging();
}

void TStatsForm::PreviousPage()
{
    TChartPage *chart = ShownChart();
    if (!chart || !chart->bars || chart->page <= 1)
        return;
    --chart->page;
    ShowPage(*chart);
    UpdatePaging();
}

void TStatsForm::ShowChart(TStatChart chart)
{
    m_tabs->setCurrentIndex(static_cast<int>(chart) + 1);
}

QChartView *TStatsForm::ChartView(TStatChart chart) const
{
    const auto index = static_cast<size_t>(chart);
    return index < m_charts.size() ? m_charts[index].view : nullptr;
}

void TStatsForm::UpdatePaging()
{
    const int page = CurrentPage();
    const int pages = PageCount();
    m_pageLabel->setText(m_pageFormat.arg(page).arg(pages));
    m_previous->setEnabled(page > 1);
    m_next->setEnabled(page < pages);
}
