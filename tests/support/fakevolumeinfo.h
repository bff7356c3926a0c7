#pragma once

#include <vector>

#include <QDir>
#include <QString>

#include "catalog/platform/volumeinfo.h"

// A volume table for tests: mounts with labels, kinds and sizes, no system access.
class TFakeVolumeInfo final : public IVolumeInfo
{
public:
    struct TVolume
    {
        QString MountPoint;
        QString Label;
        TDriveType Kind = TDriveType::Fixed;
        TVolumeSpace Space;
    };

    void AddVolume(const QString &mountPoint,
                   const QString &label,
                   TDriveType kind = TDriveType::Fixed,
                   TVolumeSpace space = {})
    {
        TMountEntry entry;
        entry.MountPoint = mountPoint;
        entry.Root = QStringLiteral("/");
        m_mounts.push_back(entry);
        m_volumes.push_back(TVolume{mountPoint, label, kind, space});
    }

    std::optional<TMountEntry> MountFor(const QString &path) const override
    {
        if (path.startsWith(QStringLiteral("//")))
            return std::nullopt;
        return FindMount(m_mounts, QDir::cleanPath(path));
    }
    QString VolumeLabel(const QString &path) const override
    {
        const TVolume *volume = VolumeFor(path);
        return volume ? volume->Label : QString();
    }
    TDriveType DriveKind(const QString &path) const override
    {
        if (path.startsWith(QStringLiteral("//")))
            return TDriveType::Remote;
        const TVolume *volume = VolumeFor(path);
        return volume ? volume->Kind : TDriveType::NotFound;
    }
    std::optional<TVolumeSpace> FreeSpace(const QString &path) const override
    {
        const TVolume *volume = VolumeFor(path);
        return volume ? std::optional(volume->Space) : std::nullopt;
    }

private:
    const TVolume *VolumeFor(const QString &path) const
    {
        const auto mount = MountFor(path);
        if (!mount)
            return nullptr;
        // The last volume added on a mount point lies on top, as FindMount decides.
        for (auto it = m_volumes.rbegin(); it != m_volumes.rend(); ++it) {
            if (it->MountPoint == mount->MountPoint)
                return &*it;
        }
        return nullptr;
    }

    std::vector<TMountEntry> m_mounts;
    std::vector<TVolume> m_volumes;
};

// Installs a volume table for the lifetime of a test and restores the previous one.
class TScopedVolumeInfo
{
public:
    explicit TScopedVolumeInfo(const IVolumeInfo &info)
        : m_previous(SetCurrentVolumeInfo(&info))
    {}
    ~TScopedVolumeInfo() { SetCurrentVolumeInfo(m_previous); }
    TScopedVolumeInfo(const TScopedVolumeInfo &) = delete;
    TScopedVolumeInfo &operator=(const TScopedVolumeInfo &) = delete;

private:
    const IVolumeInfo *m_previous;
};
