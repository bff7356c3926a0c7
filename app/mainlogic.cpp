#include "app/mainlogic.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

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
