#include "host/linkpolicy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>

using namespace Qt::StringLiterals;

namespace {

// Types whose opening starts a program of the file's choosing. Checked by inheritance, so
// their subtypes (AppImages are disc images too) count.
constexpr const char *LauncherTypes[] = {
    "application/x-desktop",
    "application/x-ms-shortcut",
    "application/x-mswinurl",
    "application/vnd.flatpak.ref",
    "application/vnd.flatpak.repo",
    "application/x-java-jnlp-file",
};
constexpr const char *ScriptTypes[] = {
    "application/x-shellscript",
    "text/x-python",
    "text/x-python3",
    "application/x-perl",
    "application/x-ruby",
    "text/x-tcl",
    "application/x-csh",
    "application/javascript",
    "text/javascript",
    "application/x-php",
    "application/x-bat",
    "application/x-powershell",
};
constexpr const char *ProgramTypes[] = {
    "application/x-executable",
    "application/x-pie-executable",
    "application/x-sharedlib",
    "application/vnd.microsoft.portable-executable",
    "application/x-ms-dos-executable",
    "application/x-msdownload",
    "application/x-msi",
    "application/vnd.appimage",
    "application/x-java-archive",
};
// Media, discs, and the containers content sniffing names before it knows the track kind.
constexpr const char *MediaTypes[] = {
    "application/x-matroska",
    "application/ogg",
    "application/vnd.rn-realmedia",
    "application/mxf",
    "application/x-cd-image",
    "application/x-iso9660-image",
    "application/x-raw-disk-image",
    "application/x-cue",
    "application/x-discjuggler-cd-image",
};
// Folders of a video DVD and a Blu-ray.
constexpr const char *DiscFolders[] = {"VIDEO_TS", "BDMV"};

template <size_t N> bool InheritsAny(const QMimeType &type, const char *const (&names)[N])
{
    for (const char *name : names) {
        if (type.inherits(QString::fromLatin1(name)))
            return true;
    }
    return false;
}

TLinkRisk RiskOf(const QMimeType &type)
{
    if (!type.isValid())
        return TLinkRisk::None;
    if (InheritsAny(type, LauncherTypes))
        return TLinkRisk::Launcher;
    // Before programs: the shell-script type is a kind of executable too.
    if (InheritsAny(type, ScriptTypes))
        return TLinkRisk::Script;
    if (InheritsAny(type, ProgramTypes))
        return TLinkRisk::Executable;
    return TLinkRisk::None;
}

bool IsMedia(const QMimeType &type)
{
    const QString name = type.name();
    return name.startsWith(u"video/"_s) || name.startsWith(u"audio/"_s)
           || InheritsAny(type, MediaTypes);
}

bool HasShebang(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "#!";
}

bool IsDiscFolderName(const QString &name)
{
    for (const char *folder : DiscFolders) {
        if (name.compare(QLatin1StringView(folder), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// A disc's own folder or a folder holding one (the DVD copied whole).
bool IsDiscFolder(const QFileInfo &folder)
{
    if (IsDiscFolderName(folder.fileName()))
        return true;
    const QStringList children = QDir(folder.absoluteFilePath()).entryList(QDir::Dirs);
    for (const QString &child : children) {
        if (IsDiscFolderName(child))
            return true;
    }
    return false;
}

TLinkDecision DecideFile(const QString &path, TLinkUse use)
{
    // "dvd/VIDEO_TS/" must name VIDEO_TS.
    const QFileInfo info(QDir::cleanPath(path));
    TLinkDecision decision;
    decision.Target = info.absoluteFilePath();
    if (info.isDir()) {
        const bool disc = use == TLinkUse::Play && IsDiscFolder(info);
        decision.Verdict = disc ? TLinkVerdict::Open : TLinkVerdict::Ask;
        decision.Risk = disc                    ? TLinkRisk::None
                        : use == TLinkUse::Play ? TLinkRisk::NotMedia
                                                : TLinkRisk::LocalFile;
        return decision;
    }

    // By name and by content apart: a script named "film.mkv" must not pass on its name.
    const QMimeDatabase database;
    const QMimeType byName = database.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    const bool exists = info.isFile();
    const QMimeType byContent =
        exists ? database.mimeTypeForFile(info, QMimeDatabase::MatchContent) : QMimeType();
    decision.MimeType =
        byName.isDefault() && byContent.isValid() ? byContent.name() : byName.name();

    TLinkRisk risk = RiskOf(byName);
    if (risk == TLinkRisk::None)
        risk = RiskOf(byContent);
    if (risk == TLinkRisk::None && exists && HasShebang(path))
        risk = TLinkRisk::Script;

    if (use == TLinkUse::Link) {
        if (risk == TLinkRisk::None)
            risk = exists && info.isExecutable() ? TLinkRisk::Executable : TLinkRisk::LocalFile;
        decision.Risk = risk;
        return decision;
    }

    if (risk != TLinkRisk::None) {
        decision.Risk = risk;
        return decision;
    }
    const bool inDisc = IsDiscFolderName(info.dir().dirName());
    if (IsMedia(byName) || (byContent.isValid() && IsMedia(byContent)) || inDisc) {
        decision.Verdict = TLinkVerdict::Open;
        return decision;
    }
    decision.Risk = TLinkRisk::NotMedia;
    return decision;
}

} // namespace

TLinkDecision TLinkPolicy::Decide(const QUrl &target, TLinkUse use)
{
    if (target.isLocalFile() && !target.toLocalFile().isEmpty())
        return DecideFile(target.toLocalFile(), use);

    TLinkDecision decision;
    decision.Target = target.toString();
    const QString scheme = target.scheme().toLower();
    if (target.isValid() && (scheme == u"http"_s || scheme == u"https"_s)) {
        decision.Verdict = TLinkVerdict::Open;
        return decision;
    }
    decision.Risk = TLinkRisk::OtherScheme;
    return decision;
}
