#pragma once

// A minimal catalog for record tests: it counts what records ask of it and notes what they
// report, in order.

#include <memory>
#include <vector>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "catalog/daycount.h"
#include "catalog/dbitem.h"
#include "catalog/recordowner.h"
#include "catalog/textrules.h"

class TFakeOwner : public IRecordOwner
{
public:
    struct LoanEvent
    {
        bool returned;
        QString borrower;
        TBaseMovie *movie;
    };
    // A record shown ('+'), hidden ('-') or destroyed while shown ('x'); the address is
    // only compared.
    struct Report
    {
        const TDBItem *record;
        char what;
        bool operator==(const Report &) const = default;
    };
    struct Move
    {
        TDBItem *record;
        QString newName;
        int newNum;
    };

    void RecordModified(TDBItem &) override { modified = true; }
    void LoanChanged(bool returned, const QString &borrower, TBaseMovie *movie) override
    {
        loanEvents.append({returned, borrower, movie});
    }
    void MovePerson(TActor *person, const QString &newName) override;
    void MoveMovie(TMovie *movie, int newNum) override;
    void ShownChanged(TDBItem &record) override
    {
        reports.append({&record, record.Shown() ? '+' : '-'});
        if (record.Kind() != TRecordKind::Episode)
            (record.Kind() == TRecordKind::Person ? shownPeople : shownMovies) +=
                record.Shown() ? 1 : -1;
    }
    void ShownRecordDestroyed(TDBItem &record) override { reports.append({&record, 'x'}); }
    const TTextRules &TextRules() const override { return textRules; }
    int CustomFieldCount() const override { return customFields; }
    QString ImageFolder(TImageFolder folder) const override
    {
        return folders.value(static_cast<int>(folder));
    }
    bool ImgFolders() const override { return imgFolders; }
    void LogLine(const QString &line) override { log.append(line); }
    double Now() const override { return clock ? clock() : NowDays(); }

    bool modified = false;
    QList<LoanEvent> loanEvents;
    QList<Move> moves;
    int shownMovies = 0;
    int shownPeople = 0;
    int customFields = 0;
    QList<Report> reports;
    TTextRules textRules;
    // The system clock unless a test fixes one.
    TDayClock clock;
    // Image folders by TImageFolder; none by default, so records leave the disk alone.
    QMap<int, QString> folders;
    bool imgFolders = false;
    QStringList log;
};
