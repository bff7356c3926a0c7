#pragma once

#include <array>

#include <QList>
#include <QWidget>

#include "logic/statistics.h"

class QBarCategoryAxis;
class QBarSet;
class QChart;
class QChartView;
class QHorizontalBarSeries;
class QLabel;
class QPieSeries;
class QPushButton;
class QTabWidget;
class QValueAxis;

// The "Statistics" window: a totals page and one chart per counted property. It keeps a
// copy of what it shows, so it stays valid whatever happens to the catalog afterwards, and
// changes only when it is filled again.
class TStatsForm : public QWidget
{
public:
    explicit TStatsForm(QWidget *parent = nullptr);

    // Replaces everything shown by `stats`, captioned with `texts`, and goes back to the
    // first page of every chart.
    void Fill(const TStatistics &stats, const TStatTexts &texts);

    // Paging of the shown tab (bar charts only; other tabs have one page).
    int CurrentPage() const;
    int PageCount() const;
    void NextPage();
    void PreviousPage();
    // Shows a chart's tab.
    void ShowChart(TStatChart chart);

    QTabWidget *Tabs() const { return m_tabs; }
    QChartView *ChartView(TStatChart chart) const;
    // The labels, in the order of the totals, that show the values.
    const QList<QLabel *> &TotalLabels() const { return m_totalValues; }

private:
    struct TChartPage
    {
        QChartView *view = nullptr;
        QList<TStatPoint> points;
        int page = 1;
        // Bar charts.
        QHorizontalBarSeries *bars = nullptr;
        QBarSet *barSet = nullptr;
        QBarCategoryAxis *categories = nullptr;
        QValueAxis *values = nullptr;
        // Pie charts.
        QPieSeries *pie = nullptr;
    };

    void CreateTotalsPage();
    void CreateChartPage(TStatChart chart);
    // The chart of the shown tab, nullptr on the totals tab.
    TChartPage *ShownChart();
    const TChartPage *ShownChart() const;
    void ShowPage(TChartPage &chart);
    void ShowPie(TChartPage &chart);
    void UpdatePaging();

    QTabWidget *m_tabs = nullptr;
    QList<QLabel *> m_totalValues;
    std::array<TChartPage, StatChartCount> m_charts;
    QLabel *m_pageLabel = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_close = nullptr;
    QString m_pageFormat = QStringLiteral("Page %1 of %2");
};
