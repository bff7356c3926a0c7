#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/platform/volumeinfo.h"
#include "tests/support/fakevolumeinfo.h"

using namespace Qt::StringLiterals;

namespace {

TEST(ParseMountInfoTest, ReadsFieldsAndDecodesEscapes)
{
    const QByteArray text = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                            "30 22 8:17 /sub /media/user/My\\040Disc rw shared:5 master:2 - vfat "
                            "/dev/sdb1 rw\n"
                            "31 22 0:44 / /mnt/back\\134slash\\011tab rw - nfs4 srv:/export rw\n"
                            "not a mount line\n"
                            "32 22 0:45 / /mnt/short rw -\n"
                            "\n"
                            "33 22 0:46 / /mnt/Zo\xc3\xab rw - tmpfs tmpfs rw";

    const auto mounts = ParseMountInfo(text);

    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].MountPoint, u"/"_s);
    EXPECT_EQ(mounts[0].Source, u"/dev/sda1"_s);
    EXPECT_EQ(mounts[1].MountPoint, u"/media/user/My Disc"_s);
    EXPECT_EQ(mounts[1].Root, u"/sub"_s);
    EXPECT_EQ(mounts[1].FsType, u"vfat"_s);
    EXPECT_EQ(mounts[1].Major, 8u);
    EXPECT_EQ(mounts[1].Minor, 17u);
    EXPECT_EQ(mounts[2].MountPoint, u"/mnt/back\\slash\ttab"_s);
    EXPECT_EQ(mounts[2].Source, u"srv:/export"_s);
    EXPECT_EQ(mounts[3].MountPoint, u"/mnt/Zoë"_s);
    EXPECT_TRUE(ParseMountInfo(QByteArrayView()).empty());
}

struct TFindCase
{
    QString Path;
    QString MountPoint; // empty: no mount
    QString Source;
};

void PrintTo(const TFindCase &c, std::ostream *os)
{
    *os << '"' << c.Path.toStdString() << '"';
}

class FindMountTest : public ::testing::TestWithParam<TFindCase>
{};

TEST_P(FindMountTest, PicksLongestMountPoint)
{
    const auto mounts = ParseMountInfo("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                       "2 1 8:2 / /media/disc rw - ext4 /dev/sda2 rw\n"
                                       "3 2 8:3 / /media/disc/inner rw - ext4 /dev/sda3 rw\n"
                                       "4 1 8:4 / /data rw - ext4 /dev/sda4 rw\n"
                                       "5 4 8:5 / /data rw - ext4 /dev/sda5 rw\n");
    const auto mount = FindMount(mounts, GetParam().Path);
    if (GetParam().MountPoint.isEmpty()) {
        EXPECT_FALSE(mount.has_value());
        return;
    }
    ASSERT_TRUE(mount.has_value());
    EXPECT_EQ(mount->MountPoint, GetParam().MountPoint);
    EXPECT_EQ(mount->Source, GetParam().Source);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    FindMountTest,
    ::testing::Values(TFindCase{u"/media/disc/movie.avi"_s, u"/media/disc"_s, u"/dev/sda2"_s},
                      TFindCase{u"/media/disc"_s, u"/media/disc"_s, u"/dev/sda2"_s},
                      TFindCase{u"/media/disc/"_s, u"/media/disc"_s, u"/dev/sda2"_s},
                      TFindCase{u"/media/discs/x"_s, u"/"_s, u"/dev/sda1"_s},
                      TFindCase{u"/media/disc/inner/x"_s, u"/media/disc/inner"_s, u"/dev/sda3"_s},
                      // Stacked mounts: the later one lies on top.
                      TFindCase{u"/data/x"_s, u"/data"_s, u"/dev/sda5"_s},
                      TFindCase{u"/"_s, u"/"_s, u"/dev/sda1"_s},
                      TFindCase{u"relative/x"_s, QString(), QString()},
                      TFindCase{QString(), QString(), QString()}));

// A prepared system: mount table, by-label links and a sysfs tree in a temporary folder.
class SystemVolumeInfoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char *device : {"sda1", "sda2", "sda3", "sdb1", "sr0", "sdz9"})
            Touch(u"dev/"_s + QLatin1StringView(device), "");
        Touch(u"sys/devices/pci/block/sda/removable"_s, "0\n");
        Touch(u"sys/devices/pci/block/sda/sda1/partition"_s, "1\n");
        Touch(u"sys/devices/usb/block/sdb/removable"_s, "1\n");
        Touch(u"sys/devices/usb/block/sdb/sdb1/partition"_s, "1\n");
        Touch(u"sys/devices/usb/block/sdb/sdb1/removable"_s, "0\n"); // must not be read
        Link(u"../../devices/pci/block/sda/sda1"_s, u"sys/class/block/sda1"_s);
        Link(u"../../devices/usb/block/sdb/sdb1"_s, u"sys/class/block/sdb1"_s);

        // udev writes links relative to their folder and escapes unsafe bytes.
        Link(u"../dev/sdb1"_s, u"by-label/My\\x20Disc"_s);
        Link(Path(u"dev/sda1"_s), u"by-label/SYSTEM"_s);
        Link(u"../dev/sda3"_s, u"by-label/Zo\\xc3\\xab \U0001F3AC"_s);
        Link(u"../dev/missing"_s, u"by-label/Gone"_s);

        const QString dev = Path(u"dev/"_s);
        const QByteArray table = "22 1 8:1 / / rw shared:1 - ext4 " + dev.toUtf8()
                                 + "sda1 rw\n"
                                   "30 22 8:17 / /rk-mnt/My\\040Disc rw - vfat "
                                 + dev.toUtf8()
                                 + "sdb1 rw\n"
                                   "31 22 11:0 / /rk-mnt/cdrom ro - iso9660 "
                                 + dev.toUtf8()
                                 + "sr0 ro\n"
                                   "32 22 0:50 / /rk-mnt/share rw - cifs //server/share rw\n"
                                   "33 22 0:51 / /rk-mnt/ssh rw - fuse.sshfs user@host:/home rw\n"
                                   "34 22 0:52 / /rk-mnt/remote rw - fuse.unknown box:/ rw\n"
                                   "35 22 0:53 / /rk-mnt/vault rw - fuse.encfs encfs rw\n"
                                   "36 22 8:2 / /rk-data rw - ext4 "
                                 + dev.toUtf8()
                                 + "sda2 rw\n"
                                   "37 36 8:3 / /rk-data rw - ext4 "
                                 + dev.toUtf8() + "sda3 rw\n";
        Touch(u"mountinfo"_s, table);

        m_info =
            CreateSystemVolumeInfo({Path(u"mountinfo"_s), Path(u"by-label"_s), Path(u"sys"_s)});
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    void Touch(const QString &name, const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(Path(name)).absolutePath());
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    void Link(const QString &target, const QString &name)
    {
        QDir().mkpath(QFileInfo(Path(name)).absolutePath());
        ASSERT_TRUE(QFile::link(target, Path(name))) << name.toStdString();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<IVolumeInfo> m_info;
};

TEST_F(SystemVolumeInfoTest, MountForDecodesMountPoints)
{
    const auto mount = m_info->MountFor(u"/rk-mnt/My Disc/movie.avi"_s);
    ASSERT_TRUE(mount.has_value());
    EXPECT_EQ(mount->MountPoint, u"/rk-mnt/My Disc"_s);
    EXPECT_EQ(mount->FsType, u"vfat"_s);
    EXPECT_FALSE(m_info->MountFor(u"//server/share/x"_s).has_value());
    EXPECT_FALSE(m_info->MountFor(QString()).has_value());
}

TEST_F(SystemVolumeInfoTest, LabelsComeFromByLabelLinks)
{
    EXPECT_EQ(m_info->VolumeLabel(u"/rk-mnt/My Disc/"_s), u"My Disc"_s);
    EXPECT_EQ(m_info->VolumeLabel(u"/rk-mnt/My Disc/sub/movie.avi"_s), u"My Disc"_s);
    EXPECT_EQ(m_info->VolumeLabel(u"/rk-no-such-folder/"_s), u"SYSTEM"_s);
    EXPECT_EQ(m_info->VolumeLabel(u"/rk-data/"_s), u"Zoë \U0001F3AC"_s);
    EXPECT_EQ(m_info->VolumeLabel(u"/rk-mnt/cdrom/"_s), QString());
    EXPECT_EQ(m_info->VolumeLabel(u"/rk-mnt/share/"_s), QString());
    EXPECT_EQ(m_info->VolumeLabel(u"//server/share/"_s), QString());
}

TEST_F(SystemVolumeInfoTest, MissingByLabelFolderGivesNoLabel)
{
    const auto info =
        CreateSystemVolumeInfo({Path(u"mountinfo"_s), Path(u"no-by-label"_s), Path(u"sys"_s)});
    EXPECT_EQ(info->VolumeLabel(u"/rk-mnt/My Disc/"_s), QString());
}

struct TKindCase
{
    QString Path;
    TDriveType Kind;
};

void PrintTo(const TKindCase &c, std::ostream *os)
{
    *os << '"' << c.Path.toStdString() << '"';
}

class DriveKindTest : public SystemVolumeInfoTest, public ::testing::WithParamInterface<TKindCase>
{};

TEST_P(DriveKindTest, Classifies)
{
    EXPECT_EQ(m_info->DriveKind(GetParam().Path), GetParam().Kind);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    DriveKindTest,
    ::testing::Values(TKindCase{u"/rk-mnt/My Disc/movie.avi"_s, TDriveType::Removable},
                      TKindCase{u"/rk-no-such-folder/movie.avi"_s, TDriveType::Fixed},
                      TKindCase{u"/rk-mnt/cdrom/VIDEO_TS/"_s, TDriveType::Removable},
                      TKindCase{u"/rk-mnt/share/movie.avi"_s, TDriveType::Remote},
                      TKindCase{u"/rk-mnt/ssh/movie.avi"_s, TDriveType::Remote},
                      TKindCase{u"/rk-mnt/remote/movie.avi"_s, TDriveType::Remote},
                      TKindCase{u"/rk-mnt/vault/movie.avi"_s, TDriveType::Fixed},
                      TKindCase{u"/rk-data/movie.avi"_s, TDriveType::Fixed},
                      TKindCase{u"//server/share/movie.avi"_s, TDriveType::Remote}));

TEST_F(SystemVolumeInfoTest, UnreadableMountTableFindsNothing)
{
    const auto info =
        CreateSystemVolumeInfo({Path(u"no-mountinfo"_s), Path(u"by-label"_s), Path(u"sys"_s)});
    EXPECT_EQ(info->DriveKind(u"/rk-mnt/My Disc/x"_s), TDriveType::NotFound);
    EXPECT_FALSE(info->MountFor(u"/"_s).has_value());
    EXPECT_EQ(info->VolumeLabel(u"/"_s), QString());
}

TEST_F(SystemVolumeInfoTest, FreeSpaceOfAnExistingFolder)
{
    const auto space = m_info->FreeSpace(m_dir.path());
    ASSERT_TRUE(space.has_value());
    EXPECT_GT(space->TotalBytes, 0u);
    EXPECT_LE(space->FreeBytes, space->TotalBytes);
    EXPECT_LE(space->AvailableBytes, space->FreeBytes);
    EXPECT_FALSE(m_info->FreeSpace(Path(u"missing/deeper"_s)).has_value());
    EXPECT_FALSE(m_info->FreeSpace(QString()).has_value());
    EXPECT_FALSE(m_info->FreeSpace(u"//server/share"_s).has_value());
}

TEST(CurrentVolumeInfoTest, InstallAndRestore)
{
    const IVolumeInfo *system = &CurrentVolumeInfo();
    TFakeVolumeInfo fake;
    fake.AddVolume(u"/"_s, u"FAKE"_s);
    {
        TScopedVolumeInfo installed(fake);
        EXPECT_EQ(&CurrentVolumeInfo(), &fake);
        EXPECT_EQ(CurrentVolumeInfo().VolumeLabel(u"/x/"_s), u"FAKE"_s);
    }
    EXPECT_EQ(&CurrentVolumeInfo(), system);
}

} // namespace
