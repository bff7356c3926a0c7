#include "media/mediainfo.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <MediaInfo/MediaInfo.h>
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include "catalog/basemovie.h"
#include "catalog/platform/volumeinfo.h"
#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MegaByte = 1048576;
// The analyser reports what the file claims; a stream count beyond this is damage.
constexpr int MaxAudioStreams = 64;

// Values are asked by parameter name so they do not depend on the library's table order.
// Duration/String3 is "hh:mm:ss.mmm"; BitRate is a plain number in bit/s (the /String
// forms group thousands with blanks and could not be read back).
class TLibMediaInfoAnalyser final : public IMediaAnalyser
{
public:
    Result<TMediaFacts> Analyse(const QString &file) const override
    {
        MediaInfoLib::MediaInfo info;
        if (info.Open(file.toStdWString()) == 0)
            return Result<TMediaFacts>::Failure(
                u"The file cannot be opened or is not a known media format."_s);
        auto get = [&info](MediaInfoLib::stream_t kind, size_t stream, const wchar_t *name) {
            return QString::fromStdWString(info.Get(kind, stream, name));
        };
        using MediaInfoLib::Stream_Audio;
        using MediaInfoLib::Stream_General;
        using MediaInfoLib::Stream_Video;

        TMediaFacts facts;
        facts.RunningTime = get(Stream_Video, 0, L"Duration/String3");
        // Matroska and audio-only files state the duration only for the container.
        if (facts.RunningTime.isEmpty())
            facts.RunningTime = get(Stream_General, 0, L"Duration/String3");
        facts.Width = get(Stream_Video, 0, L"Width");
        facts.Height = get(Stream_Video, 0, L"Height");
        facts.FrameRate = get(Stream_Video, 0, L"FrameRate");
        facts.Codec = get(Stream_Video, 0, L"Format");
        facts.CodecDetail = get(Stream_Video, 0, L"Format_Profile");
        facts.BitRate = get(Stream_Video, 0, L"BitRate");
        const int audioCount =
            std::clamp(get(Stream_General, 0, L"AudioCount").toInt(), 0, MaxAudioStreams);
        for (int i = 0; i < audioCount; ++i) {
            facts.Audio.push_back({get(Stream_Audio, size_t(i), L"Format"),
                                   get(Stream_Audio, size_t(i), L"Format_Profile"),
                                   get(Stream_Audio, size_t(i), L"BitRate")});
        }
        info.Close();
        return facts;
    }
};

class TLibDvdReadLanguages final : public IDvdLanguageReader
{
public:
    std::optional<TDvdLanguages> Read(const QString &videoTsIfo) const override
    {
        // libdvdread takes the VIDEO_TS folder (or the disc folder above it).
        const QByteArray folder = QFile::encodeName(QFileInfo(videoTsIfo).absolutePath());
        const std::unique_ptr<dvd_reader_t, decltype(&DVDClose)> dvd(
            DVDOpen2(nullptr, &QuietLogger, folder.constData()), &DVDClose);
        if (!dvd)
            return std::nullopt;
        // The first title's title set stands for the disc, as a player starts there.
        int titleSet = 1;
        {
            const std::unique_ptr<ifo_handle_t, decltype(&ifoClose)> vmg(ifoOpen(dvd.get(), 0),
                                                                         &ifoClose);
            if (!vmg)
                return std::nullopt;
            if (vmg->tt_srpt && vmg->tt_srpt->nr_of_srpts > 0 && vmg->tt_srpt->title)
                titleSet = std::max<int>(1, vmg->tt_srpt->title[0].title_set_nr);
        }
        const std::unique_ptr<ifo_handle_t, decltype(&ifoClose)> vts(ifoOpen(dvd.get(), titleSet),
                                                                     &ifoClose);
        if (!vts || !vts->vtsi_mat)
            return std::nullopt;
        const vtsi_mat_t &mat = *vts->vtsi_mat;
        TDvdLanguages languages;
        const int audio = std::min<int>(mat.nr_of_vts_audio_streams, 8);
        for (int i = 0; i < audio; ++i) {
            if (mat.vts_audio_attr[i].lang_type == 1)
                languages.Audio << CodeText(mat.vts_audio_attr[i].lang_code);
        }
        const int subs = std::min<int>(mat.nr_of_vts_subp_streams, 32);
        for (int i = 0; i < subs; ++i) {
            if (mat.vts_subp_attr[i].type == 1)
                languages.Subtitles << CodeText(mat.vts_subp_attr[i].lang_code);
        }
        return languages;
    }

private:
    // libdvdread reports every disc it opens (device, decryption) on stderr; the outcome
    // of the read is what counts here.
    static void DiscardLog(void *, dvd_logger_level_t, const char *, va_list) {}
    static constexpr dvd_logger_cb QuietLogger{&DiscardLog};

    // The code holds two ASCII letters, the first in the high byte; 0 means none.
    static QString CodeText(uint16_t code)
    {
        if (code == 0)
            return {};
        return QString(QChar(code >> 8)) + QChar(code & 0xff);
    }
};

// 2 for removable and network drives, 1 for a fixed disk holding the (existing) file,
// 0 otherwise; `sizeMb` gets the drive's total size (0 for network drives).
int DriveKind(const QString &path, qint64 &sizeMb, bool mustExist)
{
    const IVolumeInfo &volumes = CurrentVolumeInfo();
    sizeMb = 0;
    const TDriveType type = volumes.DriveKind(path);
    if (type == TDriveType::NotFound)
        return 0;
    if (type != TDriveType::Remote) {
        if (const auto space = volumes.FreeSpace(path))
            sizeMb = qint64(space->TotalBytes / MegaByte);
    }
    if (type != TDriveType::Fixed)
        return 2;
    return !mustExist || QFileInfo::exists(path) ? 1 : 0;
}

// Whole minutes of a "hh:mm:ss" text (seconds dropped); 0 when it is no such time.
int Minutes(const QString &text)
{
    const QString time = text.left(8);
    if (time.size() != 8 || time[2] != u':' || time[5] != u':')
        return 0;
    bool okH = false, okM = false, okS = false;
    const int hours = time.left(2).toInt(&okH);
    const int minutes = time.mid(3, 2).toInt(&okM);
    const int seconds = time.mid(6, 2).toInt(&okS);
    if (!okH || !okM || !okS || hours < 0 || minutes < 0 || minutes > 59 || seconds < 0
        || seconds > 59)
        return 0;
    return hours * 60 + minutes;
}

// A bit rate in bit/s as whole kbit/s; 0 when it is no number.
int KiloBits(const QString &text)
{
    bool ok = false;
    const double bits = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(bits) || bits < 0 || bits >= 1e12)
        return 0;
    return int(bits / 1000);
}

QString Joined(const QString &codec, const QString &detail)
{
    // An absent detail must not leave a trailing blank.
    return (codec + u' ' + detail).trimmed();
}

// Appends `item` to a ", "-separated list unless it is empty or already in it.
void AddToList(QString &list, const QString &item)
{
    if (item.isEmpty() || list.contains(item))
        return;
    if (!list.isEmpty())
        list += u", "_s;
    list += item;
}

void ApplyFacts(TBaseMovie &movie, const TMediaFacts &facts, qint64 &minutes)
{
    minutes += Minutes(facts.RunningTime);
    movie.SetResolution(facts.Width + u'x' + facts.Height);
    QString rate = facts.FrameRate.trimmed();
    rate.replace(u',', u'.');
    bool ok = false;
    const double frameRate = rate.toDouble(&ok);
    movie.SetFramerate(ok && std::isfinite(frameRate) ? frameRate : 0.0);
    movie.SetVideocodec(facts.Codec + u' ' + facts.CodecDetail);
    QString audio = movie.Audiocodec();
    for (const TMediaFacts::TAudio &stream : facts.Audio)
        AddToList(audio, Joined(stream.Codec, stream.CodecDetail));
    movie.SetAudiocodec(audio);
    movie.SetVideobitrate(KiloBits(facts.BitRate));
    movie.SetAudiobitrate(facts.Audio.empty() ? 0 : KiloBits(facts.Audio.front().BitRate));
}

QString LanguageList(const QStringList &codes)
{
    QString list;
    for (const QString &code : codes)
        AddToList(list, NativeLanguageName(code));
    return list;
}

// The media type and number of media from the total size S (MB) of `fileCount` files, the
// kind D of the first file's drive and that drive's size R (MB).
void GuessMedia(TBaseMovie &movie, qint64 s, qsizetype fileCount, int d, qint64 r)
{
    const qint64 average = s / fileCount;
    if (average >= 600 && average <= 800 && !(d == 2 && r > 800)) {
        movie.SetCount(movie.Count() + int(fileCount));
        movie.SetType(u"CD"_s);
    } else if (s >= 3500 && s <= 4500) {
        movie.SetCount(movie.Count() + 1);
        movie.SetType(u"DVD5"_s);
    } else if (s > 4500 && s <= 10000) {
        movie.SetCount(movie.Count() + 1);
        movie.SetType(u"DVD9"_s);
    } else if (fileCount == 1 && s > 700 && s < 3500 && d != 2
               && (s % 650 <= 160 || s % 650 >= 600)) {
        movie.SetCount(movie.Count() + int(s / 650));
        movie.SetType(u"CD"_s);
    } else if (d == 2 && r > 0) {
        // A drive of unknown size (network shares) says nothing about the disc.
        if (r <= 800)
            movie.SetType(u"CD"_s);
        else if (r <= 4500)
            movie.SetType(u"DVD5"_s);
        else if (r <= 10000)
            movie.SetType(u"DVD9"_s);
    }
}

} // namespace

const IMediaAnalyser &SystemMediaAnalyser()
{
    static const TLibMediaInfoAnalyser analyser;
    return analyser;
}

const IDvdLanguageReader &SystemDvdLanguageReader()
{
    static const TLibDvdReadLanguages reader;
    return reader;
}

QString NativeLanguageName(const QString &code)
{
    const QLocale::Language language = QLocale::codeToLanguage(code, QLocale::ISO639Part1);
    if (language == QLocale::AnyLanguage)
        return {};
    // The default locale of a language may name a regional variant ("American English");
    // the name most of its locales share is the language's own.
    QHash<QString, int> votes;
    QString name = QLocale(language).nativeLanguageName();
    for (const QLocale &locale :
         QLocale::matchingLocales(language, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString candidate = locale.nativeLanguageName();
        if (!candidate.isEmpty() && ++votes[candidate] > votes.value(name))
            name = candidate;
    }
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name;
}

std::vector<TMediaFailure> ReadMediaInfo(const QStringList &files,
                                         TBaseMovie *movie,
                                         bool append,
                                         const TMediaInfoOptions &options)
{
    std::vector<TMediaFailure> failures;
    if (files.isEmpty() || !movie)
        return failures;
    const IMediaAnalyser &analyser = options.Analyser ? *options.Analyser : SystemMediaAnalyser();
    const IDvdLanguageReader &dvdReader =
        options.DvdReader ? *options.DvdReader : SystemDvdLanguageReader();

    QString labels;
    qint64 totalMb = 0;
    qint64 minutes = 0;
    int seconds = 0;
    if (append) {
        if (!movie->Path().isEmpty())
            labels = movie->Label();
        totalMb = movie->Size();
        const double length = movie->Length();
        const double fraction = std::isfinite(length) ? length - std::floor(length) : 0.0;
        const qint64 lengthSeconds = std::llround(fraction * 86400) % 86400;
        minutes = lengthSeconds / 60;
        seconds = int(lengthSeconds % 60);
    } else {
        movie->SetPath(QString());
        movie->SetAudiocodec(QString());
    }
    QString quality;
    int added = 0;

    qsizetype considered = 0;
    for (const QString &file : files) {
        if (options.Progress && !options.Progress(int(considered), int(files.size())))
            break;
        ++considered;
        if (append && movie->Path().contains(file))
            continue;
        ++added;
        movie->SetPath(movie->Path().isEmpty() ? file : movie->Path() + u'|' + file);
        const QFileInfo info(file);
        totalMb += info.size() / MegaByte;

        const bool isIfo = info.suffix().compare(u"ifo"_s, Qt::CaseInsensitive) == 0;
        if (!isIfo) {
            const Result<TMediaFacts> facts = analyser.Analyse(file);
            if (facts)
                ApplyFacts(*movie, facts.Value(), minutes);
            else
                failures.push_back({file, facts.Error()});

            qint64 unused = 0;
            if (!options.LabelOnlyRemovable || DriveKind(file, unused, true) == 2)
                AddToList(labels, VolumeLabel(info.absolutePath()));

            if (quality.isEmpty()) {
                const QString name = info.fileName().toUpper();
                for (const QString &entry : options.QualityList) {
                    if (entry.size() > 3 && name.contains(entry.toUpper())) {
                        quality = entry;
                        break;
                    }
                }
            }
        } else if (info.fileName().compare(u"video_ts.ifo"_s, Qt::CaseInsensitive) == 0) {
            if (const auto languages = dvdReader.Read(file)) {
                const QString audio = LanguageList(languages->Audio);
                const QString subs = LanguageList(languages->Subtitles);
                if (!audio.isEmpty())
                    movie->SetLangs(audio);
                if (!subs.isEmpty())
                    movie->SetSubs(subs);
            }
        }
    }

    // Appending only files the movie already has must not count its media again.
    if (added == 0)
        return failures;

    // The length field is a time of day: longer totals are kept at its largest value.
    const qint64 lengthSeconds =
        minutes >= 24 * 60 ? 86399 : std::min<qint64>(minutes * 60 + seconds, 86399);
    movie->SetLength(double(lengthSeconds) / 86400);
    movie->SetSize(totalMb);
    if (!quality.isEmpty())
        movie->SetRip(quality);
    if (!labels.isEmpty())
        movie->SetLabel(labels);

    qint64 driveMb = 0;
    const int drive = DriveKind(files.front(), driveMb, true);
    if (!append)
        movie->SetCount(0);
    GuessMedia(*movie, totalMb, considered, drive, driveMb);
    return failures;
}
