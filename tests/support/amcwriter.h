#pragma once
// Writes Ant Movie Catalog files (format versions 3.1 to 4.2) for tests and benchmarks, so
// that no foreign sample file is needed. Header-only, standard library only. Strings are
// written as given: Windows-1252 bytes. Versions are 31, 33, 35, 40, 41 and 42.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// An extra of a 4.2 movie.
struct TAmcExtraItem
{
    bool checked = false;
    std::string tag;
    std::string title;
    std::string category;
    std::string url;
    std::string description;
    std::string comments;
    std::string createdBy;
    std::string pictureName;
    std::string picture;
};

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
    std::string pictureName; // ".jpg", ".png" ... for an embedded picture, else a path
    std::string picture;     // the picture file's bytes; empty = none
    // From here on only in the versions named.
    int32_t dateWatched = 0;                 // 42
    int32_t userRating = -1;                 // 42, times 10
    int32_t colorTag = 0;                    // 41
    std::string writer{};                    // 42
    std::string composer{};                  // 42
    std::string certification{};             // 42
    std::string filePath{};                  // 42
    std::vector<std::string> customValues{}; // 40: one per field of the header, "" for missing
    std::vector<TAmcExtraItem> extras{};     // 42
};

// A custom field definition (4.x headers).
struct TAmcFieldDefinition
{
    std::string tag;
    std::string name;
    std::string type = "ftString"; // "ftList" writes the list values
    std::vector<std::string> listValues;
};

// The header strings; icq is written only for versions 33 and 31.
struct TAmcHeaderTexts
{
    std::string name;
    std::string mail;
    std::string icq;
    std::string site;
    std::string description;
    std::vector<TAmcFieldDefinition> customFields{}; // 40 and later
};

// The 65-byte signature of a version; std::invalid_argument for others.
inline std::string AmcSignature(int version)
{
    switch (version) {
    case 42:
        return " AMC_4.2 Ant Movie Catalog 4.2.x   antp/soulsnake    www.antp.be ";
    case 41:
        return " AMC_4.1 Ant Movie Catalog 4.1.x   antp/soulsnake    www.antp.be ";
    case 40:
        return " AMC_4.0 Ant Movie Catalog 4.0.x   antp/soulsnake    www.antp.be ";
    case 35:
        return " AMC_3.5 Ant Movie Catalog 3.5.x   www.buypin.com    www.antp.be ";
    case 33:
        return " AMC_3.3 Ant Movie Catalog 3.3.x   www.buypin.com  www.ant.be.tf ";
    case 31:
        return " AMC_3.1 Ant Movie Catalog 3.1.x   www.buypin.com  www.ant.be.tf ";
    default:
        throw std::invalid_argument("AMC version must be 31, 33, 35, 40, 41 or 42");
    }
}

// Whether a custom field type is a list (its values follow the definition): a type
// ending in "list", in any case, as readers take it.
inline bool AmcIsListType(std::string_view type)
{
    if (type.size() < 4)
        return false;
    std::string end(type.substr(type.size() - 4));
    for (char &c : end)
        c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return end == "list";
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
    if (version < 35)
        AppendAmcString(out, header.icq);
    AppendAmcString(out, header.site);
    AppendAmcString(out, header.description);
    if (version < 40)
        return;
    AppendAmcString(out, "columns");
    AppendAmcString(out, "window");
    AppendAmcInt32(out, static_cast<int32_t>(header.customFields.size()));
    for (const TAmcFieldDefinition &field : header.customFields) {
        AppendAmcString(out, field.tag);
        AppendAmcString(out, field.name);
        if (version >= 41)
            AppendAmcString(out, "ext");
        AppendAmcString(out, field.type);
        AppendAmcString(out, "default");
        if (version >= 41)
            AppendAmcString(out, "mediainfo");
        out.push_back('\1'); // multiple values
        if (version >= 41) {
            AppendAmcInt32(out, ',');
            out.append({'\1', '\0'}); // two flags
        }
        out.push_back('\0'); // excluded from scripts
        AppendAmcString(out, "gui");
        if (AmcIsListType(field.type)) {
            AppendAmcInt32(out, static_cast<int32_t>(field.listValues.size()));
            for (const std::string &value : field.listValues)
                AppendAmcString(out, value);
            if (version >= 41)
                out.append({'\1', '\0', '\1', '\0'}); // four flags
        }
    }
}

// One record in the layout of `version`. The picture is stored like a string: its size,
// then its bytes.
inline void AppendAmcMovie(std::string &out, int version, const TAmcMovie &movie)
{
    AppendAmcInt32(out, movie.number);
    AppendAmcInt32(out, movie.date);
    if (version >= 42) {
        AppendAmcInt32(out, movie.dateWatched);
        AppendAmcInt32(out, movie.userRating);
    }
    for (const int32_t value : {movie.rating,
                                movie.year,
                                movie.length,
                                movie.videoBitrate,
                                movie.audioBitrate,
                                movie.disks}) {
        AppendAmcInt32(out, value);
    }
    if (version >= 41)
        AppendAmcInt32(out, movie.colorTag);
    out.push_back(movie.checked ? '\1' : '\0');
    AppendAmcString(out, movie.mediaLabel);
    if (version != 31) {
        AppendAmcString(out, movie.mediaType);
        AppendAmcString(out, movie.source);
    }
    const bool v42 = version >= 42;
    for (const std::string *text : {&movie.borrower,
                                    &movie.originalTitle,
                                    &movie.translatedTitle,
                                    &movie.director,
                                    &movie.producer,
                                    v42 ? &movie.writer : nullptr,
                                    v42 ? &movie.composer : nullptr,
                                    &movie.country,
                                    &movie.category,
                                    v42 ? &movie.certification : nullptr,
                                    &movie.actors,
                                    &movie.url,
                                    &movie.description,
                                    &movie.comments,
                                    v42 ? &movie.filePath : nullptr,
                                    &movie.videoFormat,
                                    &movie.audioFormat,
                                    &movie.resolution,
                                    &movie.framerate,
                                    &movie.languages,
                                    &movie.subtitles,
                                    &movie.size,
                                    &movie.pictureName,
                                    &movie.picture}) {
        if (text)
            AppendAmcString(out, *text);
    }
    if (version < 40)
        return;
    for (const std::string &value : movie.customValues)
        AppendAmcString(out, value);
    if (version < 42)
        return;
    AppendAmcInt32(out, static_cast<int32_t>(movie.extras.size()));
    for (const TAmcExtraItem &extra : movie.extras) {
        out.push_back(extra.checked ? '\1' : '\0');
        for (const std::string *text : {&extra.tag,
                                        &extra.title,
                                        &extra.category,
                                        &extra.url,
                                        &extra.description,
                                        &extra.comments,
                                        &extra.createdBy,
                                        &extra.pictureName,
                                        &extra.picture}) {
            AppendAmcString(out, *text);
        }
    }
}

// A whole file: signature, header, then the movies in the order given.
inline std::string
WriteAmcFile(int version, const std::vector<TAmcMovie> &movies, const TAmcHeaderTexts &header = {})
{
    std::string out;
    AppendAmcHeader(out, version, header);
    for (TAmcMovie movie : movies) {
        // Every movie of a 4.x file has a value for each field the header defines.
        movie.customValues.resize(version >= 40 ? header.customFields.size() : 0);
        AppendAmcMovie(out, version, movie);
    }
    return out;
}
