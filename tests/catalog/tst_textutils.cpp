#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <random>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/textutils.h"
#include "tests/support/fakevolumeinfo.h"

using namespace Qt::StringLiterals;

namespace {

// Readable failure messages for Qt types.
std::string Show(const QStringList &list)
{
    return (u'[' + list.join("]["_L1) + u']').toStdString();
}

struct TListCase
{
    QString Text;
    QStringList Pieces;
};

void PrintTo(const TListCase &c, std::ostream *os)
{
    *os << '"' << c.Text.toStdString() << '"';
}

class SplitListTest : public ::testing::TestWithParam<TListCase>
{};

TEST_P(SplitListTest, PiecesComeLastFirst)
{
    const QStringList pieces = SplitList(GetParam().Text);
    EXPECT_EQ(pieces, GetParam().Pieces) << Show(pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    SplitListTest,
    ::testing::Values(TListCase{u"a, b;;c"_s, {u"c"_s, u"b"_s, u"a"_s}},
                      TListCase{u";a"_s, {u";a"_s}},
                      TListCase{u";;a"_s, {u";a"_s}},
                      TListCase{{}, {}},
                      TListCase{u"   "_s, {}},
                      TListCase{u"a"_s, {u"a"_s}},
                      TListCase{u"a;"_s, {u"a"_s}},
                      TListCase{u"a ; ; b"_s, {u"b"_s, u"a"_s}},
                      TListCase{u"a\\b/c|d,e"_s, {u"e"_s, u"d"_s, u"c"_s, u"b"_s, u"a"_s}},
                      TListCase{u"Alice\r\nBob"_s, {u"Bob"_s, u"Alice"_s}},
                      TListCase{u"Alice\nBob\rCarol"_s, {u"Carol"_s, u"Bob"_s, u"Alice"_s}},
                      TListCase{u"Alice,\r\nBob\r\n"_s, {u"Bob"_s, u"Alice"_s}},
                      TListCase{u"Alice\r\n,\r\n\r\nBob"_s, {u"Bob"_s, u"Alice"_s}},
                      TListCase{u"\r\nAlice"_s, {u"Alice"_s}},
                      TListCase{u"Émile; Zoë Ångström"_s, {u"Zoë Ångström"_s, u"Émile"_s}}));

struct TSplitAtCase
{
    QString Text;
    QChar Separator;
    QStringList Pieces;
};

void PrintTo(const TSplitAtCase &c, std::ostream *os)
{
    *os << '"' << c.Text.toStdString() << "\" at '" << QString(c.Separator).toStdString() << '\'';
}

class SplitAtTest : public ::testing::TestWithParam<TSplitAtCase>
{};

TEST_P(SplitAtTest, PiecesComeLastFirst)
{
    const QStringList pieces = SplitAt(GetParam().Text, GetParam().Separator);
    EXPECT_EQ(pieces, GetParam().Pieces) << Show(pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    SplitAtTest,
    ::testing::Values(TSplitAtCase{u"x.jpg|y.jpg|"_s, u'|', {u"y.jpg"_s, u"x.jpg"_s}},
                      TSplitAtCase{u"a||b"_s, u'|', {u"b"_s, u"a"_s}},
                      TSplitAtCase{u"|a"_s, u'|', {u"|a"_s}},
                      TSplitAtCase{{}, u'|', {}},
                      TSplitAtCase{u"a;b|c"_s, u'|', {u"c"_s, u"a;b"_s}},
                      TSplitAtCase{u"a, b"_s, u',', {u"b"_s, u"a"_s}}));

struct TTextCase
{
    QString Input;
    QString Expected;
};

void PrintTo(const TTextCase &c, std::ostream *os)
{
    *os << '"' << c.Input.toStdString() << '"';
}

class TrimSeparatorsTest : public ::testing::TestWithParam<TTextCase>
{};

TEST_P(TrimSeparatorsTest, Trims)
{
    EXPECT_EQ(TrimSeparators(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         TrimSeparatorsTest,
                         ::testing::Values(TTextCase{u"-- Title --"_s, u"Title"_s},
                                           TTextCase{u" -- Title -- "_s, u"Title"_s},
                                           TTextCase{u"-"_s, u"-"_s},
                                           TTextCase{u"--"_s, u"-"_s},
                                           TTextCase{u"- "_s, u" "_s},
                                           TTextCase{{}, {}},
                                           TTextCase{u"#1. Alien"_s, u"1. Alien"_s},
                                           TTextCase{u". , :#/\\|x|"_s, u"x"_s},
                                           TTextCase{u"Rock-n-Roll"_s, u"Rock-n-Roll"_s},
                                           TTextCase{u"Zoë-"_s, u"Zoë"_s}));

class RepairLineBreaksTest : public ::testing::TestWithParam<TTextCase>
{};

TEST_P(RepairLineBreaksTest, EveryCarriageReturnGetsALineFeed)
{
    EXPECT_EQ(RepairLineBreaks(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         RepairLineBreaksTest,
                         ::testing::Values(TTextCase{u"a\rb"_s, u"a\r\nb"_s},
                                           TTextCase{u"a\r\nb"_s, u"a\r\nb"_s},
                                           TTextCase{u"\r"_s, u"\r\n"_s},
                                           TTextCase{u"\r\r\n\n"_s, u"\r\n\r\n\n"_s},
                                           TTextCase{{}, {}}));

TEST(IntInArrayTest, FindsOnlyHeldValues)
{
    const int values[] = {1, 5, -9};
    EXPECT_TRUE(IntInArray(5, values));
    EXPECT_TRUE(IntInArray(-9, values));
    EXPECT_FALSE(IntInArray(4, values));
    EXPECT_FALSE(IntInArray(0, std::span<const int>()));
}

struct TCompareCase
{
    QString A;
    QString B;
    int Sign;
};

void PrintTo(const TCompareCase &c, std::ostream *os)
{
    *os << '"' << c.A.toStdString() << "\" vs \"" << c.B.toStdString() << '"';
}

class NaturalCompareTest : public ::testing::TestWithParam<TCompareCase>
{};

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

TEST_P(NaturalCompareTest, OrdersBothWays)
{
    const auto &c = GetParam();
    EXPECT_EQ(Sign(NaturalCompare(c.A, c.B)), c.Sign);
    EXPECT_EQ(Sign(NaturalCompare(c.B, c.A)), -c.Sign);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    NaturalCompareTest,
    ::testing::Values(TCompareCase{u"Vol 9"_s, u"Vol 10"_s, -1},
                      TCompareCase{u"a2b"_s, u"a10b"_s, -1},
                      TCompareCase{u"Alien 3"_s, u"Alien 3"_s, 0},
                      TCompareCase{{}, {}, 0},
                      TCompareCase{{}, u"a"_s, -1},
                      TCompareCase{u"Alien"_s, u"Aliens"_s, -1},
                      TCompareCase{u"file"_s, u"file10"_s, -1},
                      TCompareCase{u"007"_s, u"7"_s, 0},
                      TCompareCase{u"x1y2"_s, u"x1y10"_s, -1},
                      TCompareCase{u"2147483646"_s, u"2147483647"_s, -1},
                      // Runs beyond 32 bits are skipped; the text after them decides.
                      TCompareCase{u"2147483648 b"_s, u"1 a"_s, 1},
                      TCompareCase{u"99999999999999999999999 1"_s, u"1 2"_s, -1},
                      TCompareCase{u"2147483648"_s, u"1"_s, 0},
                      // Digits of other scripts count by value too.
                      TCompareCase{u"Vol \u0669"_s, u"Vol \u0661\u0660"_s, -1}));

TEST(NaturalCompareCaseTest, IsCaseSensitive)
{
    EXPECT_NE(NaturalCompare(u"abc", u"ABC"), 0);
    EXPECT_NE(NaturalCompare(u"a1", u"A1"), 0);
}

struct TFloatCase
{
    double Value;
    QString Text;
};

void PrintTo(const TFloatCase &c, std::ostream *os)
{
    *os << c.Value << " / \"" << c.Text.toStdString() << '"';
}

class FloatToTextTest : public ::testing::TestWithParam<TFloatCase>
{};

TEST_P(FloatToTextTest, WritesCommaForm)
{
    EXPECT_EQ(FloatToText(GetParam().Value), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    FloatToTextTest,
    ::testing::Values(TFloatCase{7.5, u"7,5"_s},
                      TFloatCase{120, u"120"_s},
                      TFloatCase{0, u"0"_s},
                      TFloatCase{-0.0, u"0"_s},
                      TFloatCase{-2.25, u"-2,25"_s},
                      TFloatCase{0.1 + 0.2, u"0,3"_s},
                      TFloatCase{1.0 / 3, u"0,333333333333333"_s},
                      TFloatCase{123456789012345, u"123456789012345"_s},
                      TFloatCase{1e15, u"1E15"_s},
                      TFloatCase{-1.5e20, u"-1,5E20"_s},
                      TFloatCase{0.0001, u"0,0001"_s},
                      TFloatCase{0.00001, u"1E-5"_s},
                      TFloatCase{2.5e-300, u"2,5E-300"_s},
                      TFloatCase{std::numeric_limits<double>::quiet_NaN(), u"NAN"_s},
                      TFloatCase{-std::numeric_limits<double>::infinity(), u"-INF"_s}));

struct TParseCase
{
    QString Text;
    std::optional<double> Value;
};

void PrintTo(const TParseCase &c, std::ostream *os)
{
    *os << '"' << c.Text.toStdString() << '"';
}

class TextToFloatTest : public ::testing::TestWithParam<TParseCase>
{};

TEST_P(TextToFloatTest, ReadsCommaFormOnly)
{
    EXPECT_EQ(TextToFloat(GetParam().Text), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Accepted,
                         TextToFloatTest,
                         ::testing::Values(TParseCase{u"7,5"_s, 7.5},
                                           TParseCase{u"120"_s, 120.0},
                                           TParseCase{u"1,5E3"_s, 1500.0},
                                           TParseCase{u"1,5e3"_s, 1500.0},
                                           TParseCase{u"1E-7"_s, 1e-7},
                                           TParseCase{u"-2,25"_s, -2.25},
                                           TParseCase{u" 3,5 "_s, 3.5},
                                           TParseCase{u"+4"_s, 4.0},
                                           TParseCase{u",5"_s, 0.5}));

INSTANTIATE_TEST_SUITE_P(Refused,
                         TextToFloatTest,
                         ::testing::Values(TParseCase{u"7.5"_s, {}},
                                           TParseCase{u"1.5E3"_s, {}},
                                           TParseCase{{}, {}},
                                           TParseCase{u" "_s, {}},
                                           TParseCase{u","_s, {}},
                                           TParseCase{u"abc"_s, {}},
                                           TParseCase{u"7,5x"_s, {}},
                                           TParseCase{u"1,2,3"_s, {}},
                                           TParseCase{u"1E"_s, {}},
                                           TParseCase{u"1 000"_s, {}},
                                           TParseCase{u"+"_s, {}},
                                           TParseCase{u"+-1"_s, {}},
                                           TParseCase{u"NAN"_s, {}},
                                           TParseCase{u"INF"_s, {}},
                                           TParseCase{u"1E999"_s, {}},
                                           TParseCase{u"\u0663"_s, {}}));

// Plain numbers take a quick path; a leading space sends the same text through the full
// conversion, which must agree to the last bit.
TEST(TextToFloatQuickPath, AgreesWithTheFullConversion)
{
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        QString text = random() % 4 == 0 ? u"-"_s : QString();
        const int digits = 1 + int(random() % 18);
        const int comma = int(random() % (digits + 2));
        for (int d = 0; d < digits; ++d) {
            if (d == comma)
                text += u',';
            text += QChar(u'0' + char16_t(random() % (random() % 3 == 0 ? 2 : 10)));
        }
        const std::optional<double> quick = TextToFloat(text);
        const std::optional<double> full = TextToFloat(u' ' + text);
        ASSERT_EQ(quick.has_value(), full.has_value()) << text.toStdString();
        if (quick) {
            ASSERT_EQ(std::bit_cast<quint64>(*quick), std::bit_cast<quint64>(*full))
                << text.toStdString();
        }
    }
}

TEST(FloatRoundTripTest, FifteenDigitValuesSurvive)
{
    for (const double value : {7.5, 1e-7, 123456.789, -1.5e20, 0.3, 99999999999999.9}) {
        const QString text = FloatToText(value);
        EXPECT_EQ(TextToFloat(text), value) << text.toStdString();
    }
}

class SanitizeFileNameTest : public ::testing::TestWithParam<TTextCase>
{};

TEST_P(SanitizeFileNameTest, Cleans)
{
    EXPECT_EQ(SanitizeFileName(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         SanitizeFileNameTest,
                         ::testing::Values(TTextCase{u"What? Why: Now"_s, u"What Why- Now"_s},
                                           TTextCase{u"  a/b\\c  "_s, u"a_b_c"_s},
                                           TTextCase{u"x|y*\"z\""_s, u"x-yz"_s},
                                           TTextCase{u"Amélie <2001>"_s, u"Amélie <2001>"_s},
                                           TTextCase{{}, {}}));

struct TPathCase
{
    QString First;
    QString Second;
    QString Expected;
};

void PrintTo(const TPathCase &c, std::ostream *os)
{
    *os << '"' << c.First.toStdString() << "\", \"" << c.Second.toStdString() << '"';
}

class ResolvePathTest : public ::testing::TestWithParam<TPathCase>
{};

TEST_P(ResolvePathTest, Resolves)
{
    EXPECT_EQ(ResolvePath(GetParam().First, GetParam().Second), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ResolvePathTest,
    ::testing::Values(TPathCase{u"img/a.jpg"_s, u"/data/cat/"_s, u"/data/cat/img/a.jpg"_s},
                      TPathCase{u"img/a.jpg"_s, u"/data/cat"_s, u"/data/cat/img/a.jpg"_s},
                      TPathCase{u"../a.jpg"_s, u"/data/cat/"_s, u"/data/a.jpg"_s},
                      TPathCase{u"sub/"_s, u"/data/"_s, u"/data/sub/"_s},
                      TPathCase{u"/abs/a.jpg"_s, u"/data/"_s, u"/abs/a.jpg"_s},
                      TPathCase{u"C:\\Pics\\a.jpg"_s, u"/data/"_s, u"C:\\Pics\\a.jpg"_s},
                      TPathCase{u"\\\\server\\a.jpg"_s, u"/data/"_s, u"\\\\server\\a.jpg"_s},
                      TPathCase{u"img/a.jpg"_s, {}, u"img/a.jpg"_s},
                      TPathCase{{}, u"/data/"_s, {}}));

class RelativePathTest : public ::testing::TestWithParam<TPathCase>
{};

TEST_P(RelativePathTest, RelatesAndResolvesBack)
{
    const auto &c = GetParam();
    const QString relative = RelativePath(c.First, c.Second);
    EXPECT_EQ(relative, c.Expected);
    if (c.Second.startsWith(u'/') && !c.First.isEmpty()) {
        EXPECT_EQ(ResolvePath(relative, c.First), c.Second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    RelativePathTest,
    ::testing::Values(TPathCase{u"/data/cat/"_s, u"/data/cat/img/a.jpg"_s, u"img/a.jpg"_s},
                      TPathCase{u"/data/cat"_s, u"/data/cat/img/a.jpg"_s, u"img/a.jpg"_s},
                      TPathCase{u"/data/cat/"_s, u"/data/other/a.jpg"_s, u"../other/a.jpg"_s},
                      TPathCase{u"/data/cat/"_s, u"/elsewhere/a.jpg"_s, u"../../elsewhere/a.jpg"_s},
                      TPathCase{u"/data/cat/"_s, u"/data/cat/img/"_s, u"img/"_s},
                      TPathCase{u"/data/cat/"_s, u"img/a.jpg"_s, u"img/a.jpg"_s},
                      TPathCase{u"/data/cat/"_s, u"C:\\x.jpg"_s, u"C:\\x.jpg"_s},
                      TPathCase{{}, u"/a/b.jpg"_s, u"/a/b.jpg"_s},
                      TPathCase{u"/data/cat/"_s, {}, {}}));

class FileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    void Write(const QString &name, const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(Path(name)).absolutePath());
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray Read(const QString &name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList Entries(const QString &folder) const
    {
        return QDir(Path(folder)).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir m_dir;
};

TEST_F(FileSystemTest, FileExistsQuietAcceptsOnlyFiles)
{
    Write(u"a.jpg"_s, "x");
    QDir().mkpath(Path(u"folder"_s));
    QFile::link(Path(u"a.jpg"_s), Path(u"link.jpg"_s));
    QFile::link(Path(u"gone.jpg"_s), Path(u"broken.jpg"_s));

    EXPECT_TRUE(FileExistsQuiet(Path(u"a.jpg"_s)));
    EXPECT_TRUE(FileExistsQuiet(Path(u"link.jpg"_s)));
    EXPECT_FALSE(FileExistsQuiet(Path(u"folder"_s)));
    EXPECT_FALSE(FileExistsQuiet(Path(u"folder/"_s)));
    EXPECT_FALSE(FileExistsQuiet(Path(u"missing.jpg"_s)));
    EXPECT_FALSE(FileExistsQuiet(Path(u"broken.jpg"_s)));
    EXPECT_FALSE(FileExistsQuiet(Path(u"a.jpg/inner"_s)));
    EXPECT_FALSE(FileExistsQuiet(QString()));
}

TEST_F(FileSystemTest, CopyIntoFolderTakesNextFreeNumber)
{
    Write(u"in/poster.jpg"_s, "new");
    Write(u"covers/poster.jpg"_s, "old");
    Write(u"covers/poster1.jpg"_s, "old1");

    const QString result =
        CopyIntoFolder(Path(u"in/poster.jpg"_s), Path(QString()), Path(u"covers/"_s), true);

    EXPECT_EQ(result, u"covers/poster2.jpg"_s);
    EXPECT_EQ(Read(u"covers/poster2.jpg"_s), "new");
    EXPECT_EQ(Read(u"covers/poster.jpg"_s), "old");
    EXPECT_EQ(Read(u"covers/poster1.jpg"_s), "old1");
}

TEST_F(FileSystemTest, CopyIntoFolderLeavesAFileInPlace)
{
    Write(u"covers/sub/poster.jpg"_s, "x");

    const QString result = CopyIntoFolder(
        Path(u"covers/sub/poster.jpg"_s), Path(u"covers/"_s), Path(u"covers/"_s), true);

    EXPECT_EQ(result, u"sub/poster.jpg"_s);
    EXPECT_EQ(Entries(u"covers"_s), QStringList());
    EXPECT_EQ(Entries(u"covers/sub"_s), QStringList{u"poster.jpg"_s});
}

TEST_F(FileSystemTest, CopyIntoFolderCreatesTheTarget)
{
    Write(u"in/still.shot.png"_s, "png");

    const QString result = CopyIntoFolder(
        Path(u"in/still.shot.png"_s), Path(u"shots/"_s), Path(u"shots/Amélie/deep/"_s), true);

    EXPECT_EQ(result, u"Amélie/deep/still.shot.png"_s);
    EXPECT_EQ(Read(u"shots/Amélie/deep/still.shot.png"_s), "png");
}

TEST_F(FileSystemTest, CopyIntoFolderNeedsATrailingSlashToCountAsInside)
{
    // "covers" must not claim a file that lies in "covers2".
    Write(u"covers2/a.jpg"_s, "x");

    const QString result =
        CopyIntoFolder(Path(u"covers2/a.jpg"_s), Path(QString()), Path(u"covers"_s), true);

    EXPECT_EQ(result, u"covers/a.jpg"_s);
    EXPECT_EQ(Read(u"covers/a.jpg"_s), "x");
}

TEST_F(FileSystemTest, CopyIntoFolderWithoutCopyOnlyNamesTheFile)
{
    Write(u"in/poster"_s, "x");
    Write(u"covers/poster"_s, "old");

    const QString result =
        CopyIntoFolder(Path(u"in/poster"_s), Path(u"covers/"_s), Path(u"covers/"_s), false);

    EXPECT_EQ(result, u"poster1"_s);
    EXPECT_EQ(Entries(u"covers"_s), QStringList{u"poster"_s});
}

TEST_F(FileSystemTest, CopyIntoFolderIgnoresAFailedCopy)
{
    const QString result =
        CopyIntoFolder(Path(u"in/missing.jpg"_s), Path(u"covers/"_s), Path(u"covers/"_s), true);

    EXPECT_EQ(result, u"missing.jpg"_s);
    EXPECT_EQ(Entries(u"covers"_s), QStringList());
    EXPECT_EQ(CopyIntoFolder(QString(), Path(u"covers/"_s), Path(u"covers/"_s), true), QString());
}

class VolumeTest : public ::testing::Test
{
protected:
    VolumeTest()
    {
        m_volumes.AddVolume(u"/"_s, u"SYSTEM"_s);
        m_volumes.AddVolume(u"/media/user/DISC"_s, u"STAR_WARS"_s, TDriveType::Removable);
        m_volumes.AddVolume(u"/media/user/BLANK"_s, QString(), TDriveType::Removable);
    }

    TFakeVolumeInfo m_volumes;
    TScopedVolumeInfo m_installed{m_volumes};
};

TEST_F(VolumeTest, VolumeLabelOfRoot)
{
    EXPECT_EQ(VolumeLabel(u"/media/user/DISC"_s), u"STAR_WARS"_s);
    EXPECT_EQ(VolumeLabel(u"/media/user/DISC/"_s), u"STAR_WARS"_s);
    EXPECT_EQ(VolumeLabel(u"/media/user/BLANK/"_s), QString());
    EXPECT_EQ(VolumeLabel(u"/home/"_s), u"SYSTEM"_s);
    EXPECT_EQ(VolumeLabel(QString()), QString());
}

class TitleFromFileNameTest : public VolumeTest, public ::testing::WithParamInterface<TTextCase>
{};

TEST_P(TitleFromFileNameTest, Guesses)
{
    EXPECT_EQ(TitleFromFileName(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files,
    TitleFromFileNameTest,
    ::testing::Values(TTextCase{u"/films/The.Matrix.1999.DVDRip.avi"_s, u"The Matrix"_s},
                      TTextCase{u"Heat (1995) [DivX].avi"_s, u"Heat"_s},
                      TTextCase{u"/f/Kill.Bill.CD1.avi"_s, u"Kill Bill"_s},
                      TTextCase{u"/f/abcd1.avi"_s, u"abcd1"_s},
                      TTextCase{u"/f/Blade.Runner.2049.mkv"_s, u"Blade Runner"_s},
                      TTextCase{u"/f/1492.Conquest.of.Paradise.1992.avi"_s,
                                u"1492 Conquest of Paradise"_s},
                      TTextCase{u"/f/Movie.1800.Extra.avi"_s, u"Movie 1800 Extra"_s},
                      TTextCase{u"/f/Film.12345.avi"_s, u"Film 12345"_s},
                      TTextCase{u"/f/Apollo.13.avi"_s, u"Apollo 13"_s},
                      TTextCase{u"/f/Metropolis.1927.XVid-aXXo.avi"_s, u"Metropolis"_s},
                      TTextCase{u"/f/WWW.RLSBOX.COM - Title-DVDRip-XviD.avi"_s, u"Title"_s},
                      TTextCase{u"/f/Nested ((inner) outer) end.avi"_s, u"Nested end"_s},
                      TTextCase{u"/f/Unclosed (note.avi"_s, u"Unclosed note"_s},
                      TTextCase{u"/f/Amélie.2001.avi"_s, u"Amélie"_s},
                      TTextCase{u"/f/.hidden"_s, u"hidden"_s},
                      TTextCase{u"/f/x"_s, u"x"_s},
                      TTextCase{u"/f/"_s, QString()},
                      TTextCase{QString(), QString()},
                      TTextCase{u"/movies/MY_VIDEO_TS_COPY/Heat.avi"_s, u"Heat"_s}));

INSTANTIATE_TEST_SUITE_P(
    DvdFolders,
    TitleFromFileNameTest,
    ::testing::Values(TTextCase{u"/m/Alien/VIDEO_TS/VIDEO_TS.IFO"_s, u"Alien"_s},
                      TTextCase{u"/m/Alien/VIDEO_TS/"_s, u"Alien"_s},
                      TTextCase{u"/m/Alien.(1979)/video_ts/vts_01_1.vob"_s, u"Alien"_s},
                      TTextCase{u"/media/user/DISC/VIDEO_TS/VIDEO_TS.IFO"_s, u"STAR WARS"_s},
                      TTextCase{u"/media/user/BLANK/VIDEO_TS/"_s, QString()},
                      TTextCase{u"/VIDEO_TS/VIDEO_TS.IFO"_s, u"SYSTEM"_s},
                      TTextCase{u"Alien/VIDEO_TS/x.vob"_s, u"Alien"_s}));

struct TShortenCase
{
    QString Path;
    int MaxLength;
    QString Expected;
};

void PrintTo(const TShortenCase &c, std::ostream *os)
{
    *os << '"' << c.Path.toStdString() << "\" to " << c.MaxLength;
}

class ShortenPathTest : public ::testing::TestWithParam<TShortenCase>
{};

TEST_P(ShortenPathTest, Shortens)
{
    EXPECT_EQ(ShortenPath(GetParam().Path, GetParam().MaxLength), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ShortenPathTest,
    ::testing::Values(
        TShortenCase{u"/home/u/movies.amc"_s, 64, u".../home/u/movies.amc"_s},
        TShortenCase{u"cat/movies.amc"_s, 64, u".../cat/movies.amc"_s},
        TShortenCase{u"../../cat/movies.amc"_s, 64, u".../cat/movies.amc"_s},
        // Both need a cut where the middle character is a "/" (progress must still be made).
        TShortenCase{
            u"/aa/bb/cc/dd/ee/ff/gg/movies.amc"_s, 30, u".../aa/bb/cc/.../gg/movies.amc"_s},
        TShortenCase{
            u"/aa/bb/cc/dd/ee/ff/gg/movies.amc"_s, 34, u".../aa/bb/cc/dd/.../gg/movies.amc"_s},
        TShortenCase{
            u"/averyveryverylongfilename.amc"_s, 10, u".../averyveryverylongfilename.amc"_s},
        TShortenCase{u"/a/b"_s, 2, u"/a/"_s}));

TEST(ShortenPathLimitTest, EndsAndStaysWithinBounds)
{
    const QString paths[] = {u"/home/user/Documents/Movies/Catalogs/Science Fiction/movies.amc"_s,
                             u"/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p/q/r/s/t/u/v/w/x/y/z"_s,
                             QString(u'/') + QString(200, u'x'),
                             u"relative/"_s + QString(90, u'y') + u"/z.amc"_s,
                             u"//server/share/folder/movies.amc"_s,
                             u"/"_s,
                             QString()};
    for (const QString &path : paths) {
        for (int maxLength = -1; maxLength <= 80; ++maxLength) {
            const QString shortened = ShortenPath(path, maxLength);
            EXPECT_LE(shortened.size(), std::max<qsizetype>(maxLength + 1, path.size() + 4))
                << path.toStdString() << " / " << maxLength;
        }
    }
}

} // namespace
