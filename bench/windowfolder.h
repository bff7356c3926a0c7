#pragma once

// A temporary program folder for the window benchmarks: the language file, a home of its
// own and a portable config.ini naming a generated catalog of `movies` movies (one in twenty
// a series, titles in a few languages, one or two genres, years mostly known).

#include <QString>
#include <QTemporaryDir>

class TWindowFolder
{
public:
    TWindowFolder(int movies, const QString &langFile);

    QString Program() const { return m_dir.filePath(QStringLiteral("program")); }
    QString Catalog() const { return m_dir.filePath(QStringLiteral("big.rkd")); }
    // Writes config.ini again; `idleWork` turns on auto-save and the version check, which
    // the measurements of the idle window want armed.
    void WriteSettings(bool idleWork) const;

private:
    QTemporaryDir m_dir;
};
