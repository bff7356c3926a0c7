#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "logic/settingsfile.h"

using namespace Qt::StringLiterals;

namespace {

// The permission bits of a file as the kernel sees them; -1 when it is missing.
int Mode(const QString &path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

struct TListCase
{
    QStringList Items;
    char16_t Delimiter;
    QString Text;
};

class ListQuotingTest : public ::testing::TestWithParam<TListCase>
{};

TEST_P(ListQuotingTest, JoinsAndSplitsBack)
{
    const TListCase &c = GetParam();
    EXPECT_EQ(JoinQuotedList(c.Items, c.Delimiter), c.Text);
    EXPECT_EQ(SplitQuotedList(c.Text, c.Delimiter), c.Items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ListQuotingTest,
    ::testing::Values(TListCase{{}, u',', u""_s},
                      TListCase{{u""_s}, u',', u"\"\""_s},
                      TListCase{{u"The"_s, u"A"_s, u"L'"_s}, u',', u"The,A,L'"_s},
                      TListCase{{u"a,b"_s, u"c"_s}, u',', u"\"a,b\",c"_s},
                      TListCase{{u"say \"hi\""_s}, u',', u"\"say \"\"hi\"\"\""_s},
                      TListCase{{u"a|b"_s, u"c d"_s}, u',', u"a|b,c d"_s},
                      TListCase{{u"x"_s, u"a|b"_s}, u'|', u"x|\"a|b\""_s},
                      TListCase{{u"a"_s, u""_s, u"b"_s}, u',', u"a,,b"_s},
                      TListCase{{u" a "_s, u"Ärger,Ü"_s}, u',', u" a ,\"Ärger,Ü\""_s}));

struct TSplitCase
{
    QString Text;
    QStringList Items;
};

class ListSplitTest : public ::testing::TestWithParam<TSplitCase>
{};

TEST_P(ListSplitTest, ReadsHandWrittenForms)
{
    EXPECT_EQ(SplitQuotedList(GetParam().Text, u','), GetParam().Items);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         ListSplitTest,
                         ::testing::Values(TSplitCase{u"a,"_s, {u"a"_s, u""_s}},
                                           TSplitCase{u","_s, {u""_s, u""_s}},
                                           TSplitCase{u"\"open,end"_s, {u"open,end"_s}},
                                           TSplitCase{u"\"ab\"cd,e"_s, {u"abcd"_s, u"e"_s}},
                                           TSplitCase{u"a\"b,c"_s, {u"a\"b"_s, u"c"_s}}));

struct TNumberCase
{
    QByteArray Value;
    int Integer;  // with default -7
    bool Boolean; // with default true
};

class NumberTest : public ::testing::TestWithParam<TNumberCase>
{};

TEST_P(NumberTest, BadNumbersGiveTheDefault)
{
    TSettingsFile file;
    file.Parse("[S]\nK=" + GetParam().Value + "\n");
    EXPECT_EQ(file.ReadInteger(u"S"_s, u"K"_s, -7), GetParam().Integer);
    EXPECT_EQ(file.ReadBool(u"S"_s, u"K"_s, true), GetParam().Boolean);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         NumberTest,
                         ::testing::Values(TNumberCase{"42", 42, true},
                                           TNumberCase{" -5 ", -5, true},
                                           TNumberCase{"0", 0, false},
                                           TNumberCase{"2", 2, true},
                                           TNumberCase{"", -7, true},
                                           TNumberCase{"12abc", -7, true},
                                           TNumberCase{"1.5", -7, true},
                                           TNumberCase{"2147483647", 2147483647, true},
                                           TNumberCase{"2147483648", -7, true},
                                           TNumberCase{"\xC3\xA4", -7, true}));

struct TFloatCase
{
    QByteArray Value;
    double Expected; // with default -1
};

class FloatTest : public ::testing::TestWithParam<TFloatCase>
{};

TEST_P(FloatTest, ReadsEitherSeparator)
{
    TSettingsFile file;
    file.Parse("[S]\nK=" + GetParam().Value + "\n");
    EXPECT_DOUBLE_EQ(file.ReadFloat(u"S"_s, u"K"_s, -1), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         FloatTest,
                         ::testing::Values(TFloatCase{"45123.25", 45123.25},
                                           TFloatCase{"45123,25", 45123.25},
                                           TFloatCase{"nan", -1},
                                           TFloatCase{"inf", -1},
                                           TFloatCase{"1e400", -1},
                                           TFloatCase{"x", -1}));

TEST(SettingsFileTest, ParsesLikeTheProfileFunctions)
{
    TSettingsFile file;
    file.Parse("\xEF\xBB\xBF"
               "Orphan=1\r\n"
               "[Main]\r\n"
               "; comment\r\n"
               "Key=first\r\n"
               "KEY=second\r\n"
               "  Spaced  =  v  \r\n"
               "[broken\r\n"
               "Lost=1\r\n"
               "[ main ]\r\n"
               "Other=x\r\n"
               "[Plugins]\r\n"
               "Caf\xE9.so=3\r\n");
    EXPECT_FALSE(file.Contains(u"Main"_s, u"Orphan"_s));
    EXPECT_FALSE(file.Contains(u"Main"_s, u"Lost"_s));
    EXPECT_EQ(file.ReadString(u"MAIN"_s, u"key"_s, {}), u"first"_s);
    EXPECT_EQ(file.ReadString(u"Main"_s, u"Spaced"_s, {}), u"  v  "_s);
    EXPECT_EQ(file.ReadString(u"Main"_s, u"Other"_s, {}), u"x"_s);
    EXPECT_EQ(file.Keys(u"Plugins"_s), QStringList{u"Café.so"_s});
    EXPECT_EQ(file.ReadString(u"Main"_s, u"Missing"_s, u"dflt"_s), u"dflt"_s);
}

TEST(SettingsFileTest, WritesAnsiNamesAndUtf8Values)
{
    TSettingsFile file;
    file.WriteString(u"A"_s, u"Name"_s, u"Ünïcödé ✓"_s);
    file.WriteBool(u"A"_s, u"On"_s, true);
    file.WriteInteger(u"B"_s, u"Café.so"_s, -3);
    file.WriteBool(u"A"_s, u"on"_s, false); // same key, other case: replaced in place
    EXPECT_EQ(file.ToBytes(),
              QByteArray("[A]\r\nName=\xC3\x9Cn\xC3\xAF\x63\xC3\xB6\x64\xC3\xA9 \xE2\x9C\x93\r\n"
                         "On=0\r\n\r\n[B]\r\nCaf\xE9.so=-3\r\n"));
}

TEST(SettingsFileTest, LineBreaksCannotInjectKeys)
{
    TSettingsFile file;
    file.WriteString(u"Internet"_s, u"ProxyPassword"_s, u"pw\r\nUseProxy=1"_s);
    TSettingsFile read;
    read.Parse(file.ToBytes());
    EXPECT_FALSE(read.Contains(u"Internet"_s, u"UseProxy"_s));
    EXPECT_EQ(read.ReadString(u"Internet"_s, u"ProxyPassword"_s, {}), u"pw  UseProxy=1"_s);
}

class SettingsFileDiskTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString Path() const { return m_dir.filePath(u"config.ini"_s); }
};

TEST_F(SettingsFileDiskTest, SaveIsOwnerOnlyAndReplacesTheOldFile)
{
    QFile old(Path());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("[Old]\nK=1\n");
    old.close();
    old.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther
                       | QFileDevice::ReadGroup);

    TSettingsFile file;
    file.WriteString(u"Internet"_s, u"ProxyPassword"_s, u"secret"_s);
    ASSERT_TRUE(file.Save(Path()).Ok());
    EXPECT_EQ(Mode(Path()), 0600);
    TSettingsFile read;
    ASSERT_TRUE(read.Load(Path()));
    EXPECT_EQ(read.ToBytes(), file.ToBytes());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"config.ini"_s});
}

TEST_F(SettingsFileDiskTest, FailedSaveLeavesNothingBehind)
{
    const QString blocker = m_dir.filePath(u"notafolder"_s);
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TSettingsFile settings;
    settings.WriteInteger(u"A"_s, u"B"_s, 1);
    EXPECT_FALSE(settings.Save(blocker + u"/config.ini"_s).Ok());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"notafolder"_s});
}

TEST_F(SettingsFileDiskTest, MissingOrOversizedFileReadsEmpty)
{
    TSettingsFile file;
    EXPECT_FALSE(file.Load(Path()));
    EXPECT_TRUE(file.IsEmpty());

    QFile big(Path());
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write("[A]\nK=1\n");
    ASSERT_TRUE(big.resize(TSettingsFile::FileLimit + 1));
    big.close();
    EXPECT_FALSE(file.Load(Path()));
    EXPECT_FALSE(file.Contains(u"A"_s, u"K"_s));
}

} // namespace
