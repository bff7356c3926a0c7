#include "logic/loanhistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "catalog/basemovie.h"
#include "catalog/textutils.h"
#include "logic/settings.h"

using namespace Qt::StringLiterals;

namespace {

constexpr auto HistoryName = "history.txt"_L1;

QString OneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

// The parts of one event line; `valid` is false for lines that are not events.
struct TLineParts
{
    bool valid = false;
    QStringView catalog;
    QChar action;
    QStringView time;
    QStringView borrower;
    QStringView rest; // after the first "##" following the borrower
    bool hasMovie = false;
};

TLineParts SplitLine(QStringView line)
{
    TLineParts parts;
    const qsizetype bar = line.indexOf(u'|');
    if (bar < 0)
        return parts;
    parts.catalog = line.left(bar);
    const QStringView event = line.mid(bar + 1);
    // Searched after the bar, so a "$" in the catalog's name does not cut the line.
    const qsizetype dollar = event.indexOf(u'$');
    if (dollar < 1)
        return parts;
    parts.valid = true;
    parts.action = event.at(0);
    parts.time = event.mid(1, dollar - 1);
    const QStringView after = event.mid(dollar + 1);
    const qsizetype hashes = after.indexOf(u"##");
    parts.borrower = hashes < 0 ? after : after.left(hashes);
    if (hashes >= 0) {
        parts.hasMovie = true;
        parts.rest = after.mid(hashes + 2);
    }
    return parts;
}

// The lines of the file, last first; CR LF and bare LF both end a line.
QList<QStringView> LinesNewestFirst(const QString &text)
{
    QStringView all(text);
    if (all.startsWith(u'\uFEFF'))
        all = all.mid(1);
    QList<QStringView> lines;
    for (QStringView line : all.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        lines.prepend(line);
    }
    return lines;
}

} // namespace

QString HistoryPath(const TAppFolders &folders)
{
    return folders.SettingsFolder + HistoryName;
}

QString HistoryLine(const QString &catalogName,
                    bool returned,
                    double when,
                    const QString &borrower,
                    const TBaseMovie *movie)
{
    QString line = OneLine(catalogName) + u'|' + (returned ? u'<' : u'>') + FloatToText(when) + u'$'
                   + OneLine(borrower);
    if (movie) {
        const QString title = movie->DisplayTitle();
        line += u"##"_s + OneLine(title);
        // An empty original title counts as different, so such a line ends with "##".
        if (movie->Origtitle().isEmpty()
            || movie->Origtitle().compare(title, Qt::CaseInsensitive) != 0)
            line += u"##"_s + OneLine(movie->Origtitle());
    }
    return line;
}

Status AppendHistoryLine(const QString &path, const QString &line)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    // Who borrowed what is private, as config.ini is: a new file is the user's alone.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return Status::Failure(file.errorString());
    }
    // A file made by an earlier version was readable by everyone.
    if (file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = line.toUtf8() + "\r\n";
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Status::Failure(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return Status::Failure(file.errorString());
    return {};
}

QString ReadHistoryText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList RecentBorrowers(const QString &historyText, const QString &catalogName, int count)
{
    QStringList names;
    if (count <= 0)
        return names;
    for (QStringView line : LinesNewestFirst(historyText)) {
        const TLineParts parts = SplitLine(line);
        if (!parts.valid || parts.catalog.compare(catalogName, Qt::CaseInsensitive) != 0)
            continue;
        const QString name = parts.borrower.toString();
        if (!name.isEmpty() && !names.contains(name)) {
            names.append(name);
            if (names.size() >= count)
                break;
        }
    }
    return names;
}

QList<THistoryEntry> HistoryEntries(const QString &historyText, const QString &catalogName)
{
    QList<THistoryEntry> entries;
    for (QStringView line : LinesNewestFirst(historyText)) {
        if (line.isEmpty())
            continue;
        const TLineParts parts = SplitLine(line);
        if (!parts.valid || parts.catalog.compare(catalogName, Qt::CaseInsensitive) != 0)
            continue;
        THistoryEntry entry;
        entry.returned = parts.action == u'<';
        entry.when = TextToFloat(parts.time);
        entry.borrower = parts.borrower.toString();
        if (parts.hasMovie)
            entry.movie = parts.rest.toString().replace(u"##"_s, u" / "_s);
        entries.append(entry);
    }
    return entries;
}
