#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "host/downloadthread.h"

struct TPlugin;

// The maker's site: the version-information file and the download pages live under it.
// Every function here takes the address as a parameter, so a setting can replace it.
inline constexpr char UpdateSiteAddress[] = "https://reelkeep.org/";

// siteAddress + "verinfo.txt" (a "/" is put between them when the address lacks one).
QString VersionFileUrl(const QString &siteAddress);

// What the version-information file announces for this installation.
struct TUpdateNotice
{
    enum class TTarget { None, Program, Plugin };
    TTarget Target = TTarget::None;
    QString FileName; // of the line that announced it
};

// Reads the version-information file: lines end with CR LF (a last line without one is
// not read) and a line "-END-" ends the list. The fields of a line are the texts before
// each "|" (file name, version, "new"); a text with no "|" after it is no field. The
// first line that announces an update decides:
//  - the program's own file name (ignoring case): its version is above programVersion;
//  - else a registered plug-in's file name (ignoring case): its version is above that
//    plug-in's Version;
//  - else a file not installed: its third field is "new".
// Versions compare as VersionNumber() values. The text is 8-bit (ANSI).
TUpdateNotice FindUpdate(const QByteArray &versionInfo,
                         const QString &programFileName,
                         int programVersion,
                         const QList<TPlugin> &plugins);

// The page the "New updates" button opens: "download.html" for the program,
// "plugins.html" for a plug-in, with "_ru" before ".html" when `language` is Russian.
QString UpdatePageUrl(const QString &siteAddress, TUpdateNotice::TTarget target, int language);

// Fetches the version-information file once: no retries and no User-Agent of its own,
// proxy and time-outs from the settings. Reports as UpdateText or UpdateFailed, carrying
// `silent` back; like every TDownloadThread it deletes itself when it has ended.
class TUpdateThread : public TDownloadThread
{
    Q_OBJECT

public:
    TUpdateThread(const TConnectionSettings &connection,
                  bool silent,
                  const QString &siteAddress = QString::fromLatin1(UpdateSiteAddress),
                  QObject *parent = nullptr);

    bool IsSilent() const { return m_silent; }

signals:
    void UpdateText(const QByteArray &text, bool silent);
    void UpdateFailed(const QString &errorText, bool silent);

private:
    const bool m_silent;
};
