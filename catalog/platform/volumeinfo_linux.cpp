#include <atomic>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "catalog/platform/volumeinfo.h"

using namespace Qt::StringLiterals;

namespace {

bool IsOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in mount-table fields as "\ooo".
QString DecodeMountField(QByteArrayView field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1])
            && IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            bytes.append(char(value & 0xFF));
            i += 3;
        } else {
            bytes.append(field[i]);
        }
    }
    return QString::fromUtf8(bytes);
}

int HexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// udev names by-label links with unsafe bytes written as "\xHH" (a space is "\x20").
QString DecodeLabelName(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype plainStart = 0; // plain runs are converted whole, keeping surrogate pairs
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == u'\\' && i + 3 < name.size() && name[i + 1] == u'x'
            && HexValue(name[i + 2]) >= 0 && HexValue(name[i + 3]) >= 0) {
            bytes.append(QStringView(name).sliced(plainStart, i - plainStart).toUtf8());
            bytes.append(char(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3])));
            i += 3;
            plainStart = i + 1;
        }
    }
    bytes.append(QStringView(name).sliced(plainStart).toUtf8());
    return QString::fromUtf8(bytes);
}

// Symlinks resolved when the path exists; otherwise only cleaned, so a missing path
// still finds the mount that would hold it.
QString ResolvedPath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool IsNetworkPath(const QString &path)
{
    return path.startsWith("//"_L1);
}

bool IsNetworkMount(const TMountEntry &mount)
{
    static const QLatin1StringView networkTypes[] = {"nfs"_L1,
                                                     "nfs4"_L1,
                                                     "cifs"_L1,
                                                     "smb3"_L1,
                                                     "smbfs"_L1,
                                                     "ncpfs"_L1,
                                                     "afs"_L1,
                                                     "ceph"_L1,
                                                     "glusterfs"_L1,
                                                     "lustre"_L1,
                                                     "davfs"_L1,
                                                     "coda"_L1};
    static const QLatin1StringView networkFuse[] = {"sshfs"_L1,
                                                    "rclone"_L1,
                                                    "s3fs"_L1,
                                                    "curlftpfs"_L1,
                                                    "davfs2"_L1,
                                                    "gcsfuse"_L1,
                                                    "glusterfs"_L1};
    for (const auto type : networkTypes) {
        if (mount.FsType == type)
            return true;
    }
    if (!mount.FsType.startsWith("fuse."_L1))
        return false; // "fuseblk" is a local disk (ntfs-3g, exfat)
    const QStringView sub = QStringView(mount.FsType).mid(5);
    for (const auto type : networkFuse) {
        if (sub == type)
            return true;
    }
    // Remote fuse file systems name their source "host:path" or "user@host:path".
    return !mount.Source.startsWith(u'/') && mount.Source.contains(u':');
}

bool ReadsOne(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16).trimmed() == "1";
}

class TLinuxVolumeInfo final : public IVolumeInfo
{
public:
    explicit TLinuxVolumeInfo(TVolumeInfoSources sources)
        : m_sources(std::move(sources))
    {}

    std::optional<TMountEntry> MountFor(const QString &path) const override
    {
        if (path.isEmpty() || IsNetworkPath(path))
            return std::nullopt;
        return FindMount(ReadMounts(), ResolvedPath(path));
    }

    QString VolumeLabel(const QString &path) const override
    {
        const auto mount = MountFor(path);
        return mount ? LabelOf(*mount) : QString();
    }

    TDriveType DriveKind(const QString &path) const override
    {
        if (IsNetworkPath(path))
            return TDriveType::Remote;
        const auto mount = MountFor(path);
        if (!mount)
            return TDriveType::NotFound;
        if (IsNetworkMount(*mount))
            return TDriveType::Remote;
        return IsRemovable(*mount) ? TDriveType::Removable : TDriveType::Fixed;
    }

    std::optional<TVolumeSpace> FreeSpace(const QString &path) const override
    {
        if (path.isEmpty() || IsNetworkPath(path))
            return std::nullopt;
        struct statvfs info = {};
        if (statvfs(QFile::encodeName(path).constData(), &info) != 0)
            return std::nullopt;
        const quint64 unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
        return TVolumeSpace{quint64(info.f_blocks) * unit,
                            quint64(info.f_bfree) * unit,
                            quint64(info.f_bavail) * unit};
    }

private:
    std::vector<TMountEntry> ReadMounts() const
    {
        QFile file(m_sources.MountInfoFile);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return ParseMountInfo(file.readAll());
    }

    // A by-label link belongs to the mount when it leads to the mount's device file, or
    // (for devices reached under another name) to a node with the mount's device number.
    QString LabelOf(const TMountEntry &mount) const
    {
        const QString source =
            mount.Source.startsWith(u'/') ? ResolvedPath(mount.Source) : QString();
        const QDir dir(m_sources.ByLabelDir);
        const auto entries =
            dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            const QString target =
                entry.isSymLink() ? entry.symLinkTarget() : entry.absoluteFilePath();
            if (!source.isEmpty() && ResolvedPath(target) == source)
                return DecodeLabelName(entry.fileName());
            struct stat node = {};
            if (mount.Major != 0 && stat(QFile::encodeName(target).constData(), &node) == 0
                && S_ISBLK(node.st_mode) && node.st_rdev == makedev(mount.Major, mount.Minor))
                return DecodeLabelName(entry.fileName());
        }
        return {};
    }

    // The sysfs folder of the mount's block device, found by device name or number.
    QString BlockDirOf(const TMountEntry &mount, const QString &deviceName) const
    {
        if (!deviceName.isEmpty()) {
            const QFileInfo byName(m_sources.SysRoot + "/class/block/"_L1 + deviceName);
            if (byName.exists())
                return byName.canonicalFilePath();
        }
        if (mount.Major != 0) {
            const QFileInfo byNumber(m_sources.SysRoot + "/dev/block/"_L1
                                     + QString::number(mount.Major) + u':'
                                     + QString::number(mount.Minor));
            if (byNumber.exists())
                return byNumber.canonicalFilePath();
        }
        return {};
    }

    bool IsRemovable(const TMountEntry &mount) const
    {
        const QString deviceName = mount.Source.startsWith(u'/')
                                       ? QFileInfo(ResolvedPath(mount.Source)).fileName()
                                       : QString();
        if (deviceName.startsWith("sr"_L1))
            return true; // optical drive
        const QString blockDir = BlockDirOf(mount, deviceName);
        if (blockDir.isEmpty())
            return false;
        if (QFileInfo(blockDir).fileName().startsWith("sr"_L1))
            return true;
        // A partition's "removable" flag sits on its disk, the parent folder.
        const bool isPartition = QFileInfo::exists(blockDir + "/partition"_L1);
        const QString diskDir = isPartition ? QFileInfo(blockDir).absolutePath() : blockDir;
        return ReadsOne(diskDir + "/removable"_L1);
    }

    TVolumeInfoSources m_sources;
};

std::atomic<const IVolumeInfo *> g_installed{nullptr};

} // namespace

std::unique_ptr<IVolumeInfo> CreateSystemVolumeInfo(const TVolumeInfoSources &sources)
{
    return std::make_unique<TLinuxVolumeInfo>(sources);
}

const IVolumeInfo &CurrentVolumeInfo()
{
    if (const IVolumeInfo *installed = g_installed.load())
        return *installed;
    static const std::unique_ptr<IVolumeInfo> system = CreateSystemVolumeInfo();
    return *system;
}

const IVolumeInfo *SetCurrentVolumeInfo(const IVolumeInfo *info)
{
    return g_installed.exchange(info);
}

std::vector<TMountEntry> ParseMountInfo(QByteArrayView text)
{
    // Line: id parent major:minor root mount-point options [optional...] - type source super
    std::vector<TMountEntry> mounts;
    qsizetype lineStart = 0;
    while (lineStart < text.size()) {
        qsizetype lineEnd = text.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QByteArrayView line = text.sliced(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        std::vector<QByteArrayView> fields;
        qsizetype pos = 0;
        while (pos < line.size()) {
            qsizetype end = line.indexOf(' ', pos);
            if (end < 0)
                end = line.size();
            if (end > pos)
                fields.push_back(line.sliced(pos, end - pos));
            pos = end + 1;
        }
        qsizetype dash = -1;
        for (qsizetype i = 6; i < qsizetype(fields.size()); ++i) {
            if (fields[i] == "-") {
                dash = i;
                break;
            }
        }
        if (dash < 0 || dash + 2 >= qsizetype(fields.size()))
            continue;

        TMountEntry entry;
        const QByteArrayView device = fields[2];
        const qsizetype colon = device.indexOf(':');
        if (colon > 0) {
            bool majorOk = false;
            bool minorOk = false;
            const uint major = device.first(colon).toByteArray().toUInt(&majorOk);
            const uint minor = device.sliced(colon + 1).toByteArray().toUInt(&minorOk);
            if (majorOk && minorOk) {
                entry.Major = major;
                entry.Minor = minor;
            }
        }
        entry.Root = DecodeMountField(fields[3]);
        entry.MountPoint = DecodeMountField(fields[4]);
        entry.FsType = DecodeMountField(fields[dash + 1]);
        entry.Source = DecodeMountField(fields[dash + 2]);
        if (!entry.MountPoint.startsWith(u'/'))
            continue;
        if (entry.MountPoint.size() > 1 && entry.MountPoint.endsWith(u'/'))
            entry.MountPoint.chop(1);
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

std::optional<TMountEntry> FindMount(const std::vector<TMountEntry> &mounts, QStringView path)
{
    if (!path.startsWith(u'/'))
        return std::nullopt;
    const TMountEntry *best = nullptr;
    for (const TMountEntry &mount : mounts) {
        const QString &point = mount.MountPoint;
        const bool holds = point == "/"_L1
                           || (path.startsWith(point)
                               && (path.size() == point.size() || path[point.size()] == u'/'));
        if (holds && (!best || point.size() >= best->MountPoint.size()))
            best = &mount;
    }
    if (!best)
        return std::nullopt;
    return *best;
}
