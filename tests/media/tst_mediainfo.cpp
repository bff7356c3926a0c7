#include <cmath>
#include <map>

#include <gtest/gtest.h>

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "catalog/movie.h"
#include "media/mediainfo.h"
#include "tests/support/fakerecordowner.h"
#include "tests/support/fakevolumeinfo.h"
#include "tests/support/mediagen.h"

using namespace Qt::StringLiterals;

namespace {

class TFakeAnalyser final : public IMediaAnalyser
{
public:
    Result<TMediaFacts> Analyse(const QString &file) const override
    {
        const auto it = facts.find(QFileInfo(file).fileName());
        if (it == facts.end())
            return TMediaFacts{};
        return it->second;
    }
    std::map<QString, TMediaFacts> facts;
};

class TFakeDvd final : public IDvdLanguageReader
{
public:
    std::optional<TDvdLanguages> Read(const QString &) const override
    {
        ++calls;
        return languages;
    }
    std::optional<TDvdLanguages> languages;
    mutable int calls = 0;
};

// Seconds of the time-of-day part of a length.
qint64 Seconds(double length)
{
    return std::llround((length - std::floor(length)) * 86400);
}

// Information files of a DVD-Video folder, as far as libdvdread checks them: 2048-byte
// sectors with big-endian fields, every table starting a sector of its own.
constexpr int DvdSector = 2048;

template <typename T> void PutBig(QByteArray &ifo, int at, T value)
{
    qToBigEndian(value, ifo.data() + at);
}

// The title stream attributes, laid out alike in the title set and in the disc's table
// of title sets; `at` is where the title's video attributes start.
void PutDvdStreams(QByteArray &ifo, int at)
{
    const char *audio[] = {"de", "en"};
    ifo[at + 3] = char(std::size(audio)); // number of audio streams
    for (int i = 0; i < int(std::size(audio)); ++i) {
        const int stream = at + 4 + 8 * i;
        ifo[stream] = 0x04;     // AC-3, language type 1 (a language code follows)
        ifo[stream + 1] = 0x01; // 16 bit, 48 kHz, 2 channels
        ifo.replace(stream + 2, 2, audio[i]);
    }
    ifo[at + 0x55] = 1;    // number of subpicture streams
    ifo[at + 0x56] = 0x01; // run-length coded, type 1 (a language code follows)
    ifo.replace(at + 0x58, 2, "fr");
}

// VIDEO_TS with the disc's manager (one title, in title set 1) and title set 1. The sector
// counts are those of a full disc; the backups and the VOB, which the reader never opens,
// are left out.
void WriteDvdFolder(const QString &videoTs)
{
    QByteArray vmg(3 * DvdSector, '\0');
    vmg.replace(0, 12, "DVDVIDEO-VMG");
    PutBig<quint32>(vmg, 0x0c, 5);     // last sector of the manager (IFO and BUP)
    PutBig<quint32>(vmg, 0x1c, 2);     // last sector of the IFO
    vmg[0x21] = 0x11;                  // format version 1.1
    PutBig<quint16>(vmg, 0x26, 1);     // number of volumes
    PutBig<quint16>(vmg, 0x28, 1);     // this volume
    vmg[0x2a] = 1;                     // disc side
    PutBig<quint16>(vmg, 0x3e, 1);     // number of title sets
    PutBig<quint32>(vmg, 0x80, 0x3ff); // last byte of the management table
    PutBig<quint32>(vmg, 0xc4, 1);     // sector of the title search pointers
    PutBig<quint32>(vmg, 0xd0, 2);     // sector of the title set attributes
    const int titles = DvdSector;
    PutBig<quint16>(vmg, titles, 1);              // number of titles
    PutBig<quint32>(vmg, titles + 4, 8 + 12 - 1); // last byte of the table
    vmg[titles + 9] = 1;                          // angles
    PutBig<quint16>(vmg, titles + 10, 1);         // chapters
    vmg[titles + 14] = 1;                         // title set
    vmg[titles + 15] = 1;                         // title within the set
    PutBig<quint32>(vmg, titles + 16, 6);         // first sector of the title set on the disc
    const int sets = 2 * DvdSector;
    PutBig<quint16>(vmg, sets, 1);                // number of title sets
    PutBig<quint32>(vmg, sets + 4, 12 + 542 - 1); // last byte of the table
    PutBig<quint32>(vmg, sets + 8, 12);           // where the set's attributes start
    PutBig<quint32>(vmg, sets + 12, 542 - 1);     // their last byte
    PutDvdStreams(vmg, sets + 12 + 0x108);

    QByteArray vts(5 * DvdSector, '\0');
    vts.replace(0, 12, "DVDVIDEO-VTS");
    PutBig<quint32>(vts, 0x0c, 5 + 2 + 5 - 1); // last sector of the set (IFO, VOB, BUP)
    PutBig<quint32>(vts, 0x1c, 4);             // last sector of the IFO
    vts[0x21] = 0x11;                          // format version 1.1
    PutBig<quint32>(vts, 0x80, 0x3ff);         // last byte of the management table
    PutBig<quint32>(vts, 0xc4, 5);             // first sector of the title VOB
    PutBig<quint32>(vts, 0xc8, 1);             // sector of the chapter search pointers
    PutBig<quint32>(vts, 0xcc, 2);             // sector of the program chains
    PutBig<quint32>(vts, 0xe0, 3);             // sector of the cell addresses
    PutBig<quint32>(vts, 0xe4, 4);             // sector of the VOBU addresses
    PutDvdStreams(vts, 0x200);
    const int chapters = DvdSector;                    // one title, one chapter: chain 1, program 1
    PutBig<quint16>(vts, chapters, 1);                 // number of titles
    PutBig<quint32>(vts, chapters + 4, 8 + 4 + 4 - 1); // last byte of the table
    PutBig<quint32>(vts, chapters + 8, 12);            // where title 1's chapters start
    PutBig<quint16>(vts, chapters + 12, 1);            // chapter 1: chain
    PutBig<quint16>(vts, chapters + 14, 1);            // and program
    const int chains = 2 * DvdSector;                  // one chain of one program and one cell
    const int pgc = chains + 16;
    PutBig<quint16>(vts, chains, 1);                // number of chains
    PutBig<quint32>(vts, chains + 4, 16 + 266 - 1); // last byte of the table
    vts[chains + 8] = char(0x81);                   // entry chain of title 1
    PutBig<quint32>(vts, chains + 12, 16);          // where the chain starts
    vts[pgc + 2] = 1;                               // programs
    vts[pgc + 3] = 1;                               // cells
    PutBig<quint16>(vts, pgc + 230, 236);           // offset of the program map
    PutBig<quint16>(vts, pgc + 232, 238);           // offset of the cell playback table
    PutBig<quint16>(vts, pgc + 234, 262);           // offset of the cell positions
    vts[pgc + 236] = 1;                             // program 1 starts at cell 1
    PutBig<quint32>(vts, pgc + 238 + 20, 1);        // the cell's last sector
    PutBig<quint16>(vts, pgc + 262, 1);             // the cell's VOB
    vts[pgc + 265] = 1;                             // the cell's number
    const int cells = 3 * DvdSector;
    PutBig<quint16>(vts, cells, 1);              // number of VOBs
    PutBig<quint32>(vts, cells + 4, 8 + 12 - 1); // last byte of the table
    PutBig<quint16>(vts, cells + 8, 1);          // VOB 1, cell 1, sectors 0 to 1
    vts[cells + 10] = 1;
    PutBig<quint32>(vts, cells + 16, 1);
    PutBig<quint32>(vts, 4 * DvdSector, 4 + 4 - 1); // one VOBU at sector 0

    const std::pair<const char *, QByteArray> files[] = {{"VIDEO_TS.IFO", vmg},
                                                         {"VTS_01_0.IFO", vts}};
    ASSERT_TRUE(QDir().mkpath(videoTs));
    for (const auto &[name, bytes] : files) {
        QFile file(videoTs + u'/' + QLatin1StringView(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
}

class MediaInfoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        volumes.AddVolume(u"/"_s, QString(), TDriveType::Fixed);
        volumes.AddVolume(dir.path(), u"Films"_s, TDriveType::Fixed, {50'000ull << 20, 0, 0});
        options.Analyser = &analyser;
        options.DvdReader = &dvd;
        options.QualityList = {u"DVDRip"_s, u"TVRip"_s, u"TS"_s, u"TC"_s, u"HD"_s, u"DVD5"_s};
    }
    // A sparse file of the given size in megabytes.
    QString File(const QString &name, qint64 megabytes = 0)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(megabytes << 20));
        return path;
    }

    QTemporaryDir dir;
    TFakeVolumeInfo volumes;
    TScopedVolumeInfo scoped{volumes};
    TFakeAnalyser analyser;
    TFakeDvd dvd;
    TMediaInfoOptions options;
    TFakeOwner owner;
    std::unique_ptr<TMovie> movie = TMovie::Create(&owner);
};

struct TMediaCase
{
    std::vector<qint64> sizes; // MB per file
    TDriveType drive;
    qint64 driveMb;
    int count;
    const char *type;
};

class MediaTypeTest : public MediaInfoTest, public ::testing::WithParamInterface<TMediaCase>
{};

TEST_P(MediaTypeTest, CountAndTypeFollowTheSizeThresholds)
{
    const TMediaCase &c = GetParam();
    const QString mount = dir.filePath(u"disc"_s);
    ASSERT_TRUE(QDir().mkpath(mount));
    volumes.AddVolume(mount, QString(), c.drive, {quint64(c.driveMb) << 20, 0, 0});
    QStringList files;
    for (qint64 size : c.sizes)
        files << File(u"disc/f%1.avi"_s.arg(files.size()), size);
    movie->SetCount(5);
    movie->SetType(u"VHS"_s);

    EXPECT_TRUE(ReadMediaInfo(files, movie.get(), false, options).empty());
    EXPECT_EQ(movie->Count(), c.count);
    EXPECT_EQ(movie->Type(), QString::fromLatin1(c.type));
    EXPECT_EQ(movie->Path(), files.join(u'|'));
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds,
    MediaTypeTest,
    ::testing::Values(TMediaCase{{700, 700}, TDriveType::Fixed, 50'000, 2, "CD"},
                      TMediaCase{{599}, TDriveType::Fixed, 50'000, 0, "VHS"},
                      TMediaCase{{3500}, TDriveType::Fixed, 50'000, 1, "DVD5"},
                      TMediaCase{{4500}, TDriveType::Fixed, 50'000, 1, "DVD5"},
                      TMediaCase{{4501}, TDriveType::Fixed, 50'000, 1, "DVD9"},
                      TMediaCase{{10'001}, TDriveType::Fixed, 50'000, 0, "VHS"},
                      TMediaCase{{1320}, TDriveType::Fixed, 50'000, 2, "CD"},
                      TMediaCase{{1000}, TDriveType::Fixed, 50'000, 0, "VHS"},
                      // On a disc the disc's capacity decides; a 700 MB file on a DVD is no CD.
                      TMediaCase{{700}, TDriveType::Removable, 4'700, 0, "DVD9"},
                      TMediaCase{{700}, TDriveType::Removable, 700, 1, "CD"},
                      TMediaCase{{1320}, TDriveType::Removable, 4'400, 0, "DVD5"},
                      // A share's size says nothing about a disc.
                      TMediaCase{{1320}, TDriveType::Remote, 0, 0, "VHS"}));

TEST_F(MediaInfoTest, FillsTheFieldsFromTheAnalysisAndGuessesQualityAndLabel)
{
    TMediaFacts facts{u"01:35:59.123"_s,
                      u"720"_s,
                      u"304"_s,
                      u"25.000"_s,
                      u"MPEG-4 Visual"_s,
                      u"Advanced Simple@L5"_s,
                      u"1012345"_s,
                      {{u"MPEG Audio"_s, u"Layer 3"_s, u"128000"_s},
                       {u"AC-3"_s, QString(), u"448000"_s},
                       {u"AC-3"_s, QString(), u"384000"_s}}};
    analyser.facts[u"Movie.DVDRip.XviD.avi"_s] = facts;
    const QStringList files{File(u"Movie.HD.TS.avi"_s), File(u"Movie.DVDRip.XviD.avi"_s)};

    EXPECT_TRUE(ReadMediaInfo(files, movie.get(), false, options).empty());
    EXPECT_EQ(movie->Rip(), u"DVDRip"_s); // "TS" and "HD" are too short to guess from
    EXPECT_EQ(movie->Resolution(), u"720x304"_s);
    EXPECT_DOUBLE_EQ(movie->Framerate(), 25.0);
    EXPECT_EQ(movie->Videocodec(), u"MPEG-4 Visual Advanced Simple@L5"_s);
    EXPECT_EQ(movie->Videobitrate(), 1012);
    EXPECT_EQ(movie->Audiocodec(), u"MPEG Audio Layer 3, AC-3"_s);
    EXPECT_EQ(movie->Audiobitrate(), 128);
    EXPECT_EQ(Seconds(movie->Length()), 95 * 60); // seconds of a file are dropped
    EXPECT_EQ(movie->Label(), u"Films"_s);

    // A file without a video stream leaves the empty pieces; fixed disks give no label
    // when only removable ones should.
    options.LabelOnlyRemovable = true;
    movie->SetLabel(QString());
    ReadMediaInfo({File(u"other.avi"_s)}, movie.get(), false, options);
    EXPECT_EQ(movie->Resolution(), u"x"_s);
    EXPECT_EQ(movie->Videobitrate(), 0);
    EXPECT_EQ(movie->Audiocodec(), QString());
    EXPECT_EQ(movie->Label(), QString());
}

TEST_F(MediaInfoTest, AppendAddsOnlyNewFiles)
{
    analyser.facts[u"b.avi"_s].RunningTime = u"00:45:10"_s;
    const QString a = File(u"a.avi"_s, 700);
    const QString b = File(u"b.avi"_s, 700);
    movie->SetPath(a);
    movie->SetSize(700);
    movie->SetLength((90 * 60 + 20) / 86400.0);
    movie->SetLabel(u"Old"_s);
    movie->SetCount(1);
    movie->SetType(u"CD"_s);

    ReadMediaInfo({a}, movie.get(), true, options);
    EXPECT_EQ(movie->Path(), a);
    EXPECT_EQ(movie->Size(), 700);
    EXPECT_EQ(movie->Count(), 1);

    ReadMediaInfo({a, b}, movie.get(), true, options);
    EXPECT_EQ(movie->Path(), a + u'|' + b);
    EXPECT_EQ(movie->Size(), 1400);
    EXPECT_EQ(Seconds(movie->Length()), (135 * 60) + 20);
    EXPECT_EQ(movie->Label(), u"Old, Films"_s);
    EXPECT_EQ(movie->Count(), 3);
    EXPECT_EQ(movie->Type(), u"CD"_s);
}

TEST_F(MediaInfoTest, RunningTimesOfADayOrMoreStopAtTheLastSecond)
{
    analyser.facts[u"a.avi"_s].RunningTime = u"13:00:00"_s;
    analyser.facts[u"b.avi"_s].RunningTime = u"11:00:00"_s;
    analyser.facts[u"c.avi"_s].RunningTime = u"garbage!"_s;

    ReadMediaInfo({File(u"a.avi"_s), File(u"c.avi"_s)}, movie.get(), false, options);
    EXPECT_EQ(Seconds(movie->Length()), 13 * 3600);
    ReadMediaInfo({File(u"a.avi"_s), File(u"b.avi"_s)}, movie.get(), false, options);
    EXPECT_EQ(Seconds(movie->Length()), 86399);
}

TEST_F(MediaInfoTest, DvdLanguagesUseNativeNames)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"VIDEO_TS"_s));
    dvd.languages = TDvdLanguages{{u"de"_s, u"en"_s, u"de"_s}, {u"fr"_s, u"qq"_s}};
    movie->SetLangs(u"Old"_s);

    ReadMediaInfo({File(u"VIDEO_TS/VTS_01_0.IFO"_s)}, movie.get(), false, options);
    EXPECT_EQ(dvd.calls, 0);
    EXPECT_EQ(movie->Langs(), u"Old"_s);

    ReadMediaInfo({File(u"VIDEO_TS/VIDEO_TS.IFO"_s)}, movie.get(), false, options);
    EXPECT_EQ(movie->Langs(), u"Deutsch, English"_s);
    EXPECT_EQ(movie->Subs(), u"Français"_s);

    dvd.languages.reset(); // an unreadable disc keeps what the movie had
    ReadMediaInfo({dir.filePath(u"VIDEO_TS/VIDEO_TS.IFO"_s)}, movie.get(), false, options);
    EXPECT_EQ(movie->Langs(), u"Deutsch, English"_s);
}

// The real reader on a DVD folder written here: libdvdread must accept the disc's manager
// and the first title's set and give the set's stream languages in order.
TEST_F(MediaInfoTest, ReadsTheLanguagesOfARealDvdFolder)
{
    const QString videoTs = dir.filePath(u"VIDEO_TS"_s);
    ASSERT_NO_FATAL_FAILURE(WriteDvdFolder(videoTs));
    const QString ifo = videoTs + u"/VIDEO_TS.IFO"_s;

    const auto languages = SystemDvdLanguageReader().Read(ifo);
    ASSERT_TRUE(languages);
    EXPECT_EQ(languages->Audio, (QStringList{u"de"_s, u"en"_s}));
    EXPECT_EQ(languages->Subtitles, QStringList{u"fr"_s});

    options.DvdReader = nullptr;
    ReadMediaInfo({ifo}, movie.get(), false, options);
    EXPECT_EQ(movie->Langs(), u"Deutsch, English"_s);
    EXPECT_EQ(movie->Subs(), u"Français"_s);
}

// A real file through libmediainfo: 61 s of 8 kHz 8-bit mono PCM, 64 kbit/s.
TEST_F(MediaInfoTest, ReadsARealWaveFileAndReportsUnreadableOnes)
{
    const quint32 rate = 8000;
    const quint32 dataSize = rate * 61;
    QFile wave(dir.filePath(u"tone.wav"_s));
    ASSERT_TRUE(wave.open(QIODevice::WriteOnly));
    QDataStream out(&wave);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataSize);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate << quint16(1) << quint16(8);
    out.writeRawData("data", 4);
    out << dataSize;
    QByteArray samples(int(dataSize), '\0');
    for (int i = 0; i < samples.size(); ++i)
        samples[i] = char(128 + int(100 * std::sin(i * 0.3)));
    out.writeRawData(samples.constData(), int(samples.size()));
    wave.close();

    options.Analyser = nullptr;
    const QString missing = dir.filePath(u"missing.avi"_s);
    const auto failures = ReadMediaInfo({wave.fileName(), missing}, movie.get(), false, options);
    EXPECT_EQ(Seconds(movie->Length()), 60);
    EXPECT_EQ(movie->Audiobitrate(), 64);
    EXPECT_EQ(movie->Audiocodec(), u"PCM"_s);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].File, missing);
    EXPECT_FALSE(failures[0].Message.isEmpty());
    EXPECT_EQ(movie->Path(), wave.fileName() + u'|' + missing);
}

// A real video through libmediainfo: MPEG-4 pictures, MPEG audio and AC-3 sound.
TEST_F(MediaInfoTest, ReadsARealVideoWithTwoSoundStreams)
{
    const QString video = dir.filePath(u"clip.mkv"_s);
    ASSERT_EQ(MakeTestVideo(video), QString());
    options.Analyser = nullptr;
    EXPECT_TRUE(ReadMediaInfo({video}, movie.get(), false, options).empty());
    EXPECT_EQ(movie->Resolution(), u"160x120"_s);
    EXPECT_DOUBLE_EQ(movie->Framerate(), 25.0);
    EXPECT_TRUE(movie->Videocodec().startsWith(u"MPEG-4 Visual"_s))
        << qPrintable(movie->Videocodec());
    const QString audio = movie->Audiocodec();
    EXPECT_TRUE(audio.contains(u"MPEG Audio"_s) && audio.contains(u"AC-3"_s)) << qPrintable(audio);
}

} // namespace
