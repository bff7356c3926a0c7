#pragma once

// Notes what a catalog reports, one line per call ("+ 7" for movie 7 shown), in order.

#include <QString>
#include <QStringList>

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/catalogobserver.h"

class TRecordingObserver : public ICatalogObserver
{
public:
    void RecordAdded(TDBItem &record) override { Note(QStringLiteral("add"), record); }
    void RecordRemoving(TDBItem &record) override { Note(QStringLiteral("x"), record); }
    void RecordShown(TDBItem &record) override { Note(QStringLiteral("+"), record); }
    void RecordHidden(TDBItem &record) override { Note(QStringLiteral("-"), record); }
    void RecordMoved(TDBItem &record) override { Note(QStringLiteral("move"), record); }
    void RecordChanged(TDBItem &record) override { Note(QStringLiteral("edit"), record); }
    void ResetStarted() override { calls.append(QStringLiteral("reset")); }
    void ResetFinished() override { calls.append(QStringLiteral("done")); }

    QStringList calls;

private:
    // Movies and episodes by num, people by name: both are set before a test looks.
    void Note(const QString &what, const TDBItem &record)
    {
        const QString key = record.Kind() == TRecordKind::Person
                                ? static_cast<const TActor &>(record).Name()
                                : QString::number(static_cast<const TBaseMovie &>(record).Num());
        calls.append(what + u' ' + key);
    }
};
