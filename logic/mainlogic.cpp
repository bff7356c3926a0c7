#include "logic/mainlogic.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include "catalog/daycount.h"
#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int CaptionLength = 64;

// The stored form: relative names are taken against the program folder first, so an already
// relative name and its absolute spelling compare equal.
QString MakeRelative(const QString &name, const QString &programFolder)
{
    return RelativePath(programFolder, ResolvePath(name, programFolder));
}

} // namespace

void TRecentFiles::Change(const QString &closing,
                          const QString &opening,
                          const QString &programFolder)
{
    const QString opened = opening.isEmpty() ? QString() : MakeRelative(opening, programFolder);
    if (!opened.isEmpty())
        m_names.removeAll(opened);
    if (closing.isEmpty())
        return;
    const QString name = MakeRelative(closing, programFolder);
    // Reopening the open catalog must not list it: the list never holds the open one.
    if (name == opened)
        return;
    const qsizetype at = m_names.indexOf(name);
    if (at < 0) {
        m_names.prepend(name);
        while (m_names.size() > MaxCount)
            m_names.removeLast();
    } else {
        m_names.swapItemsAt(at, m_names.size() - 1);
    }
}

QStringList TRecentFiles::Captions() const
{
    QStringList captions;
    captions.reserve(m_names.size());
    for (const QString &name : m_names)
        captions.append(ShortenPath(name, CaptionLength));
    return captions;
}

QString TRecentFiles::Expand(int index, const QString &programFolder) const
{
    if (index < 0 || index >= m_names.size())
        return {};
    return ResolvePath(m_names.at(index), programFolder);
}

bool FileWriteProtected(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !(QFile::permissions(path) & QFileDevice::WriteOwner);
}

bool ReadOnlyDecision(bool fileExists,
                      bool writeProtected,
                      int fileVersion,
                      int programVersion,
                      bool loadFailed,
                      const std::function<bool()> &askReadOnly)
{
    bool readOnly = false;
    if (fileExists && writeProtected)
        readOnly = true;
    else if (fileVersion > programVersion && askReadOnly)
        readOnly = askReadOnly();
    return readOnly || loadFailed;
}

QString TitleBarText(const QString &fileName,
                     bool peopleMode,
                     bool readOnly,
                     bool modified,
                     const QString &text298,
                     const QString &text299,
                     const QString &text1867)
{
    QString title = u"Reelkeep"_s;
    if (!fileName.isEmpty()) {
        QString name = fileName.mid(fileName.lastIndexOf(u'/') + 1);
        name.chop(4);
        title += " ("_L1 + name + u')';
    }
    title += " - "_L1 + (peopleMode ? text298 : text299);
    if (readOnly)
        title += " - "_L1 + text1867;
    else if (modified)
        title += u'*';
    return title;
}

void TQtAutoSaveTimer::Start(int milliseconds)
{
    m_timer->start(milliseconds);
}

void TQtAutoSaveTimer::Stop()
{
    m_timer->stop();
}

void TAutoSaveState::OnIdle(bool autoSaveOn, bool modified, int intervalMinutes)
{
    if (!autoSaveOn || m_armed || !modified)
        return;
    m_armed = true;
    m_timer.Start(intervalMinutes * 60 * 1000);
}

TAutoSaveAction TAutoSaveState::OnTimer(bool editing)
{
    if (!m_armed)
        return TAutoSaveAction::None;
    if (editing) {
        m_timer.Start(EditingRetryMs);
        return TAutoSaveAction::None;
    }
    m_timer.Stop();
    return TAutoSaveAction::Save;
}

void TAutoSaveState::OnNotModified()
{
    m_timer.Stop();
    m_armed = false;
}

namespace {
IVersionCheck *g_versionCheck = nullptr;
} // namespace

void SetVersionCheck(IVersionCheck *check)
{
    g_versionCheck = check;
}

IVersionCheck *RegisteredVersionCheck()
{
    return g_versionCheck;
}

bool VersionCheckDue(bool doUpdates, double lastUpdate, double lastAttempt, double now)
{
    if (!doUpdates)
        return false;
    constexpr double MinutesPerDay = 24.0 * 60.0;
    // Whole minutes as the day count's clock gives them; a rounding error of a millisecond
    // must not delay the attempt by another minute.
    const double minutes = (now - lastAttempt) * MinutesPerDay;
    return WholeDaysBetween(now, lastUpdate) >= 7 && minutes + 1e-6 >= 1.0;
}

int MsUntilVersionCheckDue(bool doUpdates, double lastUpdate, double lastAttempt, double now)
{
    if (!doUpdates)
        return -1;
    constexpr double MsPerDay = 24.0 * 60.0 * 60.0 * 1000.0;
    constexpr double MaxWaitMs = 60.0 * 60.0 * 1000.0;
    const double due = std::max(lastUpdate + 7.0, lastAttempt + 1.0 / (24.0 * 60.0));
    return int(std::clamp(std::ceil((due - now) * MsPerDay), 1.0, MaxWaitMs));
}

int WindowsLanguageId(int qtLanguage)
{
    struct TPair
    {
        QLocale::Language qt;
        int windows;
    };
    static constexpr TPair Table[] = {
        {QLocale::Arabic, 1},      {QLocale::Bulgarian, 2},
        {QLocale::Catalan, 3},     {QLocale::Chinese, 4},
        {QLocale::Czech, 5},       {QLocale::Danish, 6},
        {QLocale::German, 7},      {QLocale::Greek, 8},
        {QLocale::English, 9},     {QLocale::Spanish, 10},
        {QLocale::Finnish, 11},    {QLocale::French, 12},
        {QLocale::Hebrew, 13},     {QLocale::Hungarian, 14},
        {QLocale::Icelandic, 15},  {QLocale::Italian, 16},
        {QLocale::Japanese, 17},   {QLocale::Korean, 18},
        {QLocale::Dutch, 19},      {QLocale::NorwegianBokmal, 20},
        {QLocale::Polish, 21},     {QLocale::Portuguese, 22},
        {QLocale::Romanian, 24},   {QLocale::Russian, 25},
        {QLocale::Croatian, 26},   {QLocale::Serbian, 26},
        {QLocale::Slovak, 27},     {QLocale::Albanian, 28},
        {QLocale::Swedish, 29},    {QLocale::Thai, 30},
        {QLocale::Turkish, 31},    {QLocale::Urdu, 32},
        {QLocale::Indonesian, 33}, {QLocale::Ukrainian, 34},
        {QLocale::Belarusian, 35}, {QLocale::Slovenian, 36},
        {QLocale::Estonian, 37},   {QLocale::Latvian, 38},
        {QLocale::Lithuanian, 39}, {QLocale::Persian, 41},
        {QLocale::Vietnamese, 42}, {QLocale::Armenian, 43},
        {QLocale::Macedonian, 47}, {QLocale::Georgian, 55},
        {QLocale::Hindi, 57},
    };
    for (const TPair &pair : Table) {
        if (pair.qt == qtLanguage)
            return pair.windows;
    }
    return 0;
}
