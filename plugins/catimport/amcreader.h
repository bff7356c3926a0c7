#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plugin_api/importu.h"

// Reader of Ant Movie Catalog files of format versions 3.5, 3.3 and 3.1 (plain C++, no Qt:
// it is compiled into the catimport plug-in and into its fuzz target).
//
// File layout: a 65-byte signature naming the version, the header strings, then movie
// records to the end of the file. Integers are 32-bit little-endian signed; a string is
// such an integer length followed by that many Windows-1252 bytes (a length of 0 or less
// is an empty string). Files of other programs and of Ant Movie Catalog 4.x carry another
// signature and give no movies.

// The fields of a movie, numbered as Ant Movie Catalog's own field table does.
enum class TAmcField : int {
    Number = 0,
    Checked,
    MediaLabel,
    MediaType,
    Source,
    Date,
    Borrower,
    Rating,
    OriginalTitle,
    TranslatedTitle,
    FormattedTitle,
    Director,
    Producer,
    Country,
    Category,
    Year,
    Length,
    Actors,
    URL,
    Description,
    Comments,
    VideoFormat,
    VideoBitrate,
    AudioFormat,
    AudioBitrate,
    Resolution,
    Framerate,
    Languages,
    Subtitles,
    Size,
    Disks
};

// One movie record. The strings are Windows-1252 bytes viewed inside the bytes of the
// reader that produced the record (valid as long as that reader lives).
struct TAmcRecord
{
    int32_t Number = 0;
    int32_t Date = 0;    // days since 1899-12-30; less than 1 = not set
    int64_t Rating = -1; // rating times 10 for every version; -1 = not set
    int32_t Year = -1;   // -1 = not set, as for the next four
    int32_t Length = -1; // minutes
    int32_t VideoBitrate = -1;
    int32_t AudioBitrate = -1;
    int32_t Disks = -1;
    bool Checked = false;
    std::string_view MediaLabel;
    std::string_view MediaType; // empty in version 3.1 files
    std::string_view Source;    // empty in version 3.1 files
    std::string_view Borrower;
    std::string_view OriginalTitle;
    std::string_view TranslatedTitle;
    std::string_view Director;
    std::string_view Producer;
    std::string_view Country;
    std::string_view Category;
    std::string_view Actors;
    std::string_view URL;
    std::string_view Description;
    std::string_view Comments;
    std::string_view VideoFormat;
    std::string_view AudioFormat;
    std::string_view Resolution;
    std::string_view Framerate;
    std::string_view Languages;
    std::string_view Subtitles;
    std::string_view Size;        // free text
    std::string_view PictureName; // original extension (".jpg") of an embedded picture
    std::string_view Picture;     // the picture file's bytes; empty when none
};

// The header strings; Icq exists only before version 3.5. Views as in TAmcRecord.
struct TAmcHeader
{
    std::string_view Name;
    std::string_view Mail;
    std::string_view Icq;
    std::string_view Site;
    std::string_view Description;
};

// Reads a whole file held in memory. Construction checks the signature, reads the header
// and indexes every complete record; the first record that cannot be read completely
// ends the reading and is discarded. Every length is checked against the bytes left, so
// hostile input only ends the reading early. Memory beyond the bytes themselves is a
// small index entry per record.
class TAmcReader
{
public:
    // Larger inputs are refused unread (no version, no movies).
    static constexpr size_t MaxFileSize = size_t(2) << 30;

    explicit TAmcReader(std::string bytes);
    // Records view into the bytes held here, so the reader stays where it was made.
    TAmcReader(const TAmcReader &) = delete;
    TAmcReader &operator=(const TAmcReader &) = delete;

    // 35, 33 or 31; 0 when the signature is none of these.
    int Version() const { return m_version; }
    // The same for the first bytes of a file (at least the 65 of the signature).
    static int SignatureVersion(std::string_view bytes);
    const TAmcHeader &Header() const { return m_header; }
    // False when reading ended at an error (wrong signature, cut or broken record)
    // rather than at the end of the bytes.
    bool Complete() const { return m_complete; }

    size_t MovieCount() const { return m_index.size(); }
    // The movie at `index` (0 <= index < MovieCount()), in file order until sorted.
    TAmcRecord Movie(size_t index) const;
    // Orders the movies by ascending Number, keeping file order among equal numbers.
    void SortByNumber();
    // The host's text record of movie `index`. Its texts live in buffers kept from call to
    // call (no allocation once they are large enough), so the pointers stay valid until
    // the next call or the end of the reader. Empty texts are null pointers.
    const TMovieTextRec &TextRecord(size_t index);

private:
    struct TIndexEntry
    {
        int32_t Number;
        size_t Offset; // of the record in m_bytes
    };

    std::string m_bytes;
    int m_version = 0;
    TAmcHeader m_header;
    bool m_complete = false;
    std::vector<TIndexEntry> m_index;
    std::array<std::u16string, RK_MOVIE_TEXT_SLOTS> m_texts;
    TMovieTextRec m_record{};
};

// Appends the text the importer hands over for one field:
// numbers in decimal, -1 (and a date below 1) as empty text, the rating with one
// decimal and a point, the date as "yyyy-MM-dd", Checked as "True"/"False", strings
// decoded from Windows-1252. Unknown fields and FormattedTitle append nothing.
void AppendAmcFieldText(const TAmcRecord &movie, TAmcField field, std::u16string &out);
// Windows-1252 bytes as UTF-16; the five unassigned bytes become the C1 controls.
void AppendWindows1252(std::string_view bytes, std::u16string &out);
// A date serial (days since 1899-12-30) as "yyyy-MM-dd"; nothing below 1 (not set) or
// after 9999-12-31 (outside the range of the date type the serials come from).
void AppendIsoDate(int64_t serial, std::u16string &out);
// Standard Base64 with "=" fill and CR LF after every 76 output characters.
void AppendBase64Lines(std::string_view bytes, std::u16string &out);
