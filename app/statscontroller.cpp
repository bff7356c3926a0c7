// Tools / Statistics: counts the open catalog and shows the statistics window.
#include "app/statscontroller.h"

#include "app/commandhost.h"
#include "app/statsform.h"
#include "catalog/videodatabase.h"
#include "logic/statistics.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

TStatsController::TStatsController(ICommandHost &host, const TWideLanguage &language)
    : m_host(host)
    , m_language(language)
{}

TStatTexts TStatsController::StatisticsTexts() const
{
    TStatTexts texts;
    texts.undefined = m_host.Text(1865, texts.undefined);
    for (int i = 0; i < StatSliceCount; ++i)
        texts.ratings[size_t(i)] = m_host.Text(2150 + i, texts.ratings[size_t(i)]);
    texts.days = m_host.Text(1690, texts.days);
    texts.hours = m_host.Text(1691, texts.hours);
    texts.minutes = m_host.Text(1692, texts.minutes);
    texts.pageFormat = m_host.Text(1874, texts.pageFormat);
    return texts;
}

void TStatsController::ShowStatistics()
{
    TVideoDatabase *db = m_host.Database();
    if (!db || db->MovieCount() == 0)
        return;
    if (!m_statsForm) {
        m_statsForm = new TStatsForm(m_host.Window());
        Translate(m_language, m_statsForm);
    }
    // What the window shows is the state of this moment; it is refreshed only by counting
    // again.
    m_statsForm->Fill(CountStatistics(*db), StatisticsTexts());
    m_statsForm->show();
    m_statsForm->raise();
    m_statsForm->activateWindow();
}
