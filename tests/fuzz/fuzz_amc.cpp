// Fuzz entry point for the Ant Movie Catalog reader: arbitrary bytes give movies or none,
// never a crash, hang or huge allocation, and every movie read gives its text record.
// What was read from the binary form must survive a round trip: written again and read
// back, the same header and movies come out, and the rewritten file reads to its end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plugins/catimport/amcreader.h"
#include "tests/support/amcwriter.h"

namespace {

TAmcMovie ToWritable(const TAmcRecord &record, int version)
{
    TAmcMovie movie;
    movie.number = record.Number;
    movie.date = record.Date;
    // The reader scaled the plain ratings of older versions by ten.
    movie.rating =
        int32_t(version >= 35 || record.Rating == -1 ? record.Rating : record.Rating / 10);
    movie.year = record.Year;
    movie.length = record.Length;
    movie.videoBitrate = record.VideoBitrate;
    movie.audioBitrate = record.AudioBitrate;
    movie.disks = record.Disks;
    movie.checked = record.Checked;
    movie.mediaLabel = record.MediaLabel;
    movie.mediaType = record.MediaType;
    movie.source = record.Source;
    movie.borrower = record.Borrower;
    movie.originalTitle = record.OriginalTitle;
    movie.translatedTitle = record.TranslatedTitle;
    movie.director = record.Director;
    movie.producer = record.Producer;
    movie.country = record.Country;
    movie.category = record.Category;
    movie.actors = record.Actors;
    movie.url = record.URL;
    movie.description = record.Description;
    movie.comments = record.Comments;
    movie.videoFormat = record.VideoFormat;
    movie.audioFormat = record.AudioFormat;
    movie.resolution = record.Resolution;
    movie.framerate = record.Framerate;
    movie.languages = record.Languages;
    movie.subtitles = record.Subtitles;
    movie.size = record.Size;
    movie.pictureName = record.PictureName;
    movie.picture = record.Picture;
    movie.dateWatched = record.DateWatched;
    movie.userRating = int32_t(record.UserRating);
    movie.colorTag = record.ColorTag;
    movie.writer = record.Writer;
    movie.composer = record.Composer;
    movie.certification = record.Certification;
    movie.filePath = record.FilePath;
    movie.customValues.assign(record.CustomValues.begin(), record.CustomValues.end());
    for (const TAmcExtra &extra : record.Extras) {
        movie.extras.push_back({extra.Checked,
                                std::string(extra.Tag),
                                std::string(extra.Title),
                                std::string(extra.Category),
                                std::string(extra.URL),
                                std::string(extra.Description),
                                std::string(extra.Comments),
                                std::string(extra.CreatedBy),
                                std::string(extra.PictureName),
                                std::string(extra.Picture)});
    }
    return movie;
}

bool SameMovie(const TAmcRecord &a, const TAmcRecord &b)
{
    return a.Number == b.Number && a.Date == b.Date && a.Rating == b.Rating && a.Year == b.Year
           && a.Length == b.Length && a.VideoBitrate == b.VideoBitrate
           && a.AudioBitrate == b.AudioBitrate && a.Disks == b.Disks && a.Checked == b.Checked
           && a.MediaLabel == b.MediaLabel && a.MediaType == b.MediaType && a.Source == b.Source
           && a.Borrower == b.Borrower && a.OriginalTitle == b.OriginalTitle
           && a.TranslatedTitle == b.TranslatedTitle && a.Director == b.Director
           && a.Producer == b.Producer && a.Country == b.Country && a.Category == b.Category
           && a.Actors == b.Actors && a.URL == b.URL && a.Description == b.Description
           && a.Comments == b.Comments && a.VideoFormat == b.VideoFormat
           && a.AudioFormat == b.AudioFormat && a.Resolution == b.Resolution
           && a.Framerate == b.Framerate && a.Languages == b.Languages && a.Subtitles == b.Subtitles
           && a.Size == b.Size && a.PictureName == b.PictureName && a.Picture == b.Picture
           && a.DateWatched == b.DateWatched && a.UserRating == b.UserRating
           && a.ColorTag == b.ColorTag && a.Writer == b.Writer && a.Composer == b.Composer
           && a.Certification == b.Certification && a.FilePath == b.FilePath
           && a.CustomValues == b.CustomValues && a.Extras.size() == b.Extras.size()
           && std::equal(a.Extras.begin(), a.Extras.end(), b.Extras.begin(), [](auto &x, auto &y) {
                  return x.Checked == y.Checked && x.Tag == y.Tag && x.Title == y.Title
                         && x.Category == y.Category && x.URL == y.URL
                         && x.Description == y.Description && x.Comments == y.Comments
                         && x.CreatedBy == y.CreatedBy && x.PictureName == y.PictureName
                         && x.Picture == y.Picture;
              });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Every code page in turn, by the input's size.
    const TCodePage &page = CodePages()[size % CodePages().size()];
    TAmcReader reader(std::string(reinterpret_cast<const char *>(data), size), {}, {}, &page);
    if (reader.Version() == 0) {
        if (reader.MovieCount() != 0)
            __builtin_trap();
        return 0;
    }
    reader.SortByNumber();
    std::vector<TAmcMovie> movies;
    for (size_t i = 0; i < reader.MovieCount(); ++i) {
        const TMovieTextRec &texts = reader.TextRecord(i);
        if (!texts.Slots[0]) // the number always has a text
            __builtin_trap();
        if (i > 0 && reader.Movie(i - 1).Number > reader.Movie(i).Number)
            __builtin_trap();
        movies.push_back(ToWritable(reader.Movie(i), reader.Version()));
    }
    if (reader.IsXml())
        return 0;

    const TAmcHeader &header = reader.Header();
    TAmcHeaderTexts headerTexts{std::string(header.Name),
                                std::string(header.Mail),
                                std::string(header.Icq),
                                std::string(header.Site),
                                std::string(header.Description),
                                {}};
    for (const TAmcCustomField &field : header.CustomFields)
        headerTexts.customFields.push_back(
            {std::string(field.Tag), std::string(field.Name), std::string(field.Type), {}});
    TAmcReader again(WriteAmcFile(reader.Version(), movies, headerTexts));
    if (again.Version() != reader.Version() || !again.Complete()
        || again.MovieCount() != reader.MovieCount() || again.Header().Name != header.Name
        || again.Header().Icq != header.Icq || again.Header().Description != header.Description) {
        __builtin_trap();
    }
    for (size_t i = 0; i < again.MovieCount(); ++i) {
        if (!SameMovie(again.Movie(i), reader.Movie(i)))
            __builtin_trap();
    }
    return 0;
}
