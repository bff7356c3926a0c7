#pragma once

#include <QPointer>

class ICommandHost;
class TStatsForm;
class TWideLanguage;
struct TStatTexts;

// Tools / Statistics: counts the whole catalog and shows the statistics window.
class TStatsController
{
public:
    TStatsController(ICommandHost &host, const TWideLanguage &language);

    void ShowStatistics();
    TStatsForm *StatsForm() const { return m_statsForm; }

private:
    TStatTexts StatisticsTexts() const;

    ICommandHost &m_host;
    const TWideLanguage &m_language;
    QPointer<TStatsForm> m_statsForm;
};
