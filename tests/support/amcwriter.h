#pragma once
// Writes Ant Movie Catalog files (format versions 3.5, 3.3 and 3.1) for tests and
// benchmarks, so that no foreign sample file is needed. Header-only, standard library
// only. Strings are written as given: Windows-1252 bytes.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// One movie record as the file stores it. The defaults are the file's "not set" values.
struct TAmcMovie
{
    int32_t number = 0;
    int32_t date = 0;    // days since 1899-12-30; less than 1 = not set
    int32_t rating = -1; // as stored: times 10 in version 35, plain in 33 and 31; -1 = not set
    int32_t year = -1;
    int32_t length = -1; // minutes
    int32_t videoBitrate = -1;
    int32_t audioBitrate = -1;
    int32_t disks = -1;
    bool checked = false;
    std::string mediaLabel;
    std::string mediaType; // not written for version 31
    std::string source;    // not written for version 31
    std::string borrower;
    std::string originalTitle;
    std::string translatedTitle;
    std::string director;
    std::string producer;
    std::string country;
    std::string category;
    std::string actors;
    std::string url;
    std::string description;
    std::string comments;
    std::string videoFormat;
    std::string audioFormat;
    std::string resolution;
    std::string framerate;
    std::string languages;
    std::string subtitles;
    std::string size;        // free text
    std::string pictureName; // ".jpg", ".png" ... for an embedded picture
    std::string picture;     // the picture file's bytes; empty = none
};

// The header strings; icq is written only for versions 33 and 31.
struct TAmcHeaderTexts
{
    std::string name;
    std::string mail;
    std::string icq;
    std::string site;
    std::string description;
};

// The 65-byte signature of version 35, 33 or 31; std::invalid_argument for others.
inline std::string AmcSignature(int version)
{
    switch (version) {
    case 35:
        return " AMC_3.5 Ant Movie Catalog 3.5.x   www.buypin.com    www.antp.be ";
    case 33:
        return " AMC_3.3 Ant Movie Catalog 3.3.x   www.buypin.com  www.ant.be.tf ";
    case 31:
        return " AMC_3.1 Ant Movie Catalog 3.1.x   www.buypin.com  www.ant.be.tf ";
    default:
        throw std::invalid_argument("AMC version must be 35, 33 or 31");
    }
}

// A 32-bit little-endian signed integer.
inline void AppendAmcInt32(std::string &out, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

// A string: its length as a 32-bit integer, then its bytes.
inline void AppendAmcString(std::string &out, std::string_view text)
{
    AppendAmcInt32(out, static_cast<int32_t>(text.size()));
    out.append(text);
}

inline void AppendAmcHeader(std::string &out, int version, const TAmcHeaderTexts &header)
{
    out += AmcSignature(version);
    AppendAmcString(out, header.name);
    AppendAmcString(out, header.mail);
    if (version != 35)
        AppendAmcString(out, header.icq);
    AppendAmcString(out, header.site);
    AppendAmcString(out, header.description);
}

// One record in the layout of `version`. The picture is stored like a string: its size,
// then its bytes.
inline void AppendAmcMovie(std::string &out, int version, const TAmcMovie &movie)
{
    for (const int32_t value : {movie.number,
                                movie.date,
                                movie.rating,
                                movie.year,
                                movie.length,
                                movie.videoBitrate,
                                movie.audioBitrate,
                                movie.disks}) {
        AppendAmcInt32(out, value);
    }
    out.push_back(movie.checked ? '\1' : '\0');
    AppendAmcString(out, movie.mediaLabel);
    if (version != 31) {
        AppendAmcString(out, movie.mediaType);
        AppendAmcString(out, movie.source);
    }
    for (const std::string *text :
         {&movie.borrower,    &movie.originalTitle, &movie.translatedTitle, &movie.director,
          &movie.producer,    &movie.country,       &movie.category,        &movie.actors,
          &movie.url,         &movie.description,   &movie.comments,        &movie.videoFormat,
          &movie.audioFormat, &movie.resolution,    &movie.framerate,       &movie.languages,
          &movie.subtitles,   &movie.size,          &movie.pictureName,     &movie.picture}) {
        AppendAmcString(out, *text);
    }
}

// A whole file: signature, header, then the movies in the order given.
inline std::string
WriteAmcFile(int version, const std::vector<TAmcMovie> &movies, const TAmcHeaderTexts &header = {})
{
    std::string out;
    AppendAmcHeader(out, version, header);
    for (const TAmcMovie &movie : movies)
        AppendAmcMovie(out, version, movie);
    return out;
}
