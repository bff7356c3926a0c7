// Tools / Statistics: counts the open catalog and shows the statistics window.
#include <QAction>

#include "app/mainwindow.h"
#include "app/statsform.h"
#include "catalog/videodatabase.h"
#include "logic/statistics.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

TStatTexts TMain::StatisticsTexts() const
{
    TStatTexts texts;
    texts.undefined = Text(1865, texts.undefined);
    for (int i = 0; i < StatSliceCount; ++i)
        texts.ratings[size_t(i)] = Text(2150 + i, texts.ratings[size_t(i)]);
    texts.days = Text(1690, texts.days);
    texts.hours = Text(1691, texts.hours);
    texts.minutes = Text(1692, texts.minutes);
    texts.pageFormat = Text(1874, texts.pageFormat);
    return texts;
}

void TMain::ShowStatistics()
{
    if (!m_db || m_db->MovieCount() == 0)
        return;
    if (!m_statsForm) {
        m_statsForm = new TStatsForm(this);
        Translate(m_language, m_statsForm);
    }
    // What the window shows is the state of this moment; it is refreshed only by counting
    // again.
    m_statsForm->Fill(CountStatistics(*m_db), StatisticsTexts());
    m_statsForm->show();
    m_statsForm->raise();
    m_statsForm->activateWindow();
}

TStatsForm *TMain::StatsForm() const
{
    return m_statsForm;
}
