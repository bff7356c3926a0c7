#include "host/updatethread.h"

#include "catalog/ansi.h"
#include "catalog/version.h"
#include "host/pluginregistry.h"
#include "plugin_api/importu.h"

using namespace Qt::StringLiterals;

namespace {

TDownloadRequest VersionFileRequest(const TConnectionSettings &connection,
                                    const QString &siteAddress)
{
    TDownloadRequest request;
    request.Url = VersionFileUrl(siteAddress).toUtf8();
    request.Connection = connection;
    request.Connection.UserAgent.clear();
    request.Connection.Retries = 0;
    return request;
}

QString WithSlash(const QString &siteAddress)
{
    return siteAddress.endsWith(u'/') ? siteAddress : siteAddress + u'/';
}

// The update a line announces, or None.
TUpdateNotice::TTarget Announces(const QList<QByteArray> &fields,
                                 const QString &programFileName,
                                 int programVersion,
                                 const QList<TPlugin> &plugins)
{
    const auto field = [&](qsizetype i) { return i < fields.size() ? fields[i] : QByteArray(); };
    const QString fileName = FromAnsi(field(0));
    const int version = VersionNumber(FromAnsi(field(1)));
    if (fileName.compare(programFileName, Qt::CaseInsensitive) == 0)
        return programVersion < version ? TUpdateNotice::TTarget::Program
                                        : TUpdateNotice::TTarget::None;
    for (const TPlugin &plugin : plugins) {
        if (fileName.compare(plugin.FileName, Qt::CaseInsensitive) == 0)
            return VersionNumber(plugin.Version) < version ? TUpdateNotice::TTarget::Plugin
                                                           : TUpdateNotice::TTarget::None;
    }
    return field(2) == "new" ? TUpdateNotice::TTarget::Plugin : TUpdateNotice::TTarget::None;
}

} // namespace

QString VersionFileUrl(const QString &siteAddress)
{
    return WithSlash(siteAddress) + u"verinfo.txt"_s;
}

TUpdateNotice FindUpdate(const QByteArray &versionInfo,
                         const QString &programFileName,
                         int programVersion,
                         const QList<TPlugin> &plugins)
{
    qsizetype start = 0;
    for (qsizetype end = versionInfo.indexOf("\r\n"); end >= 0;
         start = end + 2, end = versionInfo.indexOf("\r\n", start)) {
        const QByteArray line = versionInfo.mid(start, end - start);
        if (line == "-END-")
            break;
        // Only a text followed by "|" is a field, so the piece after the last "|" goes.
        QList<QByteArray> fields = line.split('|');
        fields.removeLast();
        const TUpdateNotice::TTarget target =
            Announces(fields, programFileName, programVersion, plugins);
        if (target != TUpdateNotice::TTarget::None)
            return {target, FromAnsi(fields.value(0))};
    }
    return {};
}

QString UpdatePageUrl(const QString &siteAddress, TUpdateNotice::TTarget target, int language)
{
    const QString suffix = language == RK_LANG_RUSSIAN ? u"_ru"_s : QString();
    const QString page = target == TUpdateNotice::TTarget::Program ? u"download"_s : u"plugins"_s;
    return WithSlash(siteAddress) + page + suffix + u".html"_s;
}

TUpdateThread::TUpdateThread(const TConnectionSettings &connection,
                             bool silent,
                             const QString &siteAddress,
                             QObject *parent)
    : TDownloadThread(VersionFileRequest(connection, siteAddress), parent)
    , m_silent(silent)
{
    connect(this, &TDownloadThread::Done, this, [this](const TDownloadResult &result) {
        emit UpdateText(result.Body, m_silent);
    });
    connect(this, &TDownloadThread::Failed, this, [this](const QString &errorText) {
        emit UpdateFailed(errorText, m_silent);
    });
}
