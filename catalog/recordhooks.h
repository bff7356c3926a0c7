#pragma once

#include <functional>

#include <QList>
#include <QString>

class TDBItem;
struct TViewNode;

// Process-wide hooks through which records reach the window program's title formatting,
// grouping and filters without knowing them. All are empty until the window program sets
// them; the catalog clears them while it reads a file.
struct TRecordHooks
{
    // Rewrites a title or original title as it is stored.
    std::function<QString(const QString &)> TitleNormalizer;
    // Rewrites a person's name or translated name as it is stored.
    std::function<QString(const QString &)> NameNormalizer;
    // The parent nodes a record is shown under in its tree; nullptr stands for the top level.
    std::function<QList<TViewNode *>(const TDBItem &)> NodeProvider;
    // Whether a movie or person passes the current filter.
    std::function<bool(const TDBItem &)> FilterPredicate;
};

TRecordHooks &RecordHooks();

// Removes every hook for its lifetime and restores them on every way out of the scope.
class TRecordHooksSuspender
{
public:
    TRecordHooksSuspender();
    ~TRecordHooksSuspender();
    TRecordHooksSuspender(const TRecordHooksSuspender &) = delete;
    TRecordHooksSuspender &operator=(const TRecordHooksSuspender &) = delete;

private:
    TRecordHooks m_saved;
};
