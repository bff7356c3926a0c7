#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// What kind of storage holds a path. Remote and Removable both count as "not a fixed
// disk" for the media-type guess; NotFound means no mount could be found at all.
enum class TDriveType { NotFound, Fixed, Removable, Remote };

// One mounted file system, as the mount table describes it. Texts are decoded (no
// octal escapes left).
struct TMountEntry
{
    quint32 Major = 0;
    quint32 Minor = 0;
    QString Root;       // the folder of the file system that is mounted (bind mounts)
    QString MountPoint; // absolute, without a trailing "/" except for "/" itself
    QString FsType;     // e.g. "ext4", "nfs4", "fuse.sshfs"
    QString Source;     // the device or remote share, e.g. "/dev/sdb1", "server:/export"
};

// Sizes of the file system holding a path, in bytes.
struct TVolumeSpace
{
    quint64 TotalBytes = 0;
    quint64 FreeBytes = 0;      // free for everyone
    quint64 AvailableBytes = 0; // free for the calling user
};

// Volume facts for a path. Implementations read only system tables (mount table, device
// links) and never wait for media; every failure gives the empty answer. They must be
// safe to call from several threads at once.
class IVolumeInfo
{
public:
    virtual ~IVolumeInfo() = default;

    // The mount holding the path (the one with the longest matching mount point).
    virtual std::optional<TMountEntry> MountFor(const QString &path) const = 0;
    // The label of the file system holding the path; empty when it has none.
    virtual QString VolumeLabel(const QString &path) const = 0;
    virtual TDriveType DriveKind(const QString &path) const = 0;
    // Sizes of the file system holding the path; empty when the path cannot be queried.
    virtual std::optional<TVolumeSpace> FreeSpace(const QString &path) const = 0;
};

// Where the system implementation reads from; tests point these at prepared folders.
struct TVolumeInfoSources
{
    QString MountInfoFile = QStringLiteral("/proc/self/mountinfo");
    QString ByLabelDir = QStringLiteral("/dev/disk/by-label");
    QString SysRoot = QStringLiteral("/sys");
};

std::unique_ptr<IVolumeInfo> CreateSystemVolumeInfo(const TVolumeInfoSources &sources = {});

// The process-wide instance used by the text utilities and the media scan. Defaults to the
// system implementation.
const IVolumeInfo &CurrentVolumeInfo();
// Replaces the process-wide instance (tests); nullptr restores the system one. The caller
// keeps ownership and must keep the object alive while it is installed. Returns the
// previously installed instance (nullptr when that was the system one).
const IVolumeInfo *SetCurrentVolumeInfo(const IVolumeInfo *info);

// Mount-table helpers, shared by the system implementation and test fakes.

// Parses the text of /proc/<pid>/mountinfo; malformed lines are skipped.
std::vector<TMountEntry> ParseMountInfo(QByteArrayView text);
// The entry whose mount point is the longest prefix (at a "/" boundary) of the absolute,
// clean path; a later entry on the same mount point wins, as it lies on top.
std::optional<TMountEntry> FindMount(const std::vector<TMountEntry> &mounts, QStringView path);
