#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "catalog/result.h"

class TBaseMovie;

// Technical data of one media file, as texts exactly as the analyser gave them; a missing
// value is an empty text.
struct TMediaFacts
{
    struct TAudio
    {
        QString Codec;
        QString CodecDetail;
        QString BitRate; // bit/s
    };

    QString RunningTime; // "hh:mm:ss..." (only the first 8 characters count)
    QString Width;
    QString Height;
    QString FrameRate; // decimal with "."
    QString Codec;
    QString CodecDetail;
    QString BitRate; // bit/s
    std::vector<TAudio> Audio;
};

// Reads the technical data of a media file. Failure means the file could not be analysed
// at all (missing, unreadable, not a media file the analyser knows).
class IMediaAnalyser
{
public:
    virtual ~IMediaAnalyser() = default;
    virtual Result<TMediaFacts> Analyse(const QString &file) const = 0;
};

// Languages of a DVD as two-letter ISO 639-1 codes, in stream order.
struct TDvdLanguages
{
    QStringList Audio;
    QStringList Subtitles;
};

// Reads the audio and subtitle languages of the DVD holding a "video_ts.ifo" file;
// nothing when the disc cannot be read.
class IDvdLanguageReader
{
public:
    virtual ~IDvdLanguageReader() = default;
    virtual std::optional<TDvdLanguages> Read(const QString &videoTsIfo) const = 0;
};

// The libmediainfo and libdvdread implementations.
const IMediaAnalyser &SystemMediaAnalyser();
const IDvdLanguageReader &SystemDvdLanguageReader();

// What the scan needs from the preferences, and its collaborators (null: the system ones).
struct TMediaInfoOptions
{
    QStringList QualityList;         // entries longer than 3 characters are guessed from
    bool LabelOnlyRemovable = false; // labels only of removable and network drives
    const IMediaAnalyser *Analyser = nullptr;
    const IDvdLanguageReader *DvdReader = nullptr;
    // Called before each file with the files done so far and their number; false stops the
    // scan there (the files done so far are kept and counted).
    std::function<bool(int done, int total)> Progress;
};

// A file the analyser could not read; it still counted for path, size, label and quality.
struct TMediaFailure
{
    QString File;
    QString Message;
};

// Fills the technical fields of the movie (path, size, length, resolution, framerate,
// codecs, bit rates, langs, subs, rip, label, count, type) from the files, given as
// absolute paths. With `append` the files are added to what the movie already has and
// files already in its path are skipped. Returns the files that could not be analysed,
// in list order; the caller tells the user.
std::vector<TMediaFailure> ReadMediaInfo(const QStringList &files,
                                         TBaseMovie *movie,
                                         bool append,
                                         const TMediaInfoOptions &options);

// The own name of a language given as an ISO 639-1 code, first letter upper-cased
// ("de" gives "Deutsch"); empty for an unknown code.
QString NativeLanguageName(const QString &code);
