#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codepages.h"
#include "plugin_api/importu.h"

// Reader of Ant Movie Catalog files of format versions 3.1 to 4.2 and of the XML form that
// program saves (plain C++, no Qt: it is compiled into the catimport plug-in and into its
// fuzz target).
//
// Binary layout: a 65-byte signature naming the version, the header strings, from 4.0 the
// custom field definitions, then movie records to the end of the file. Integers are 32-bit
// little-endian signed, flags one byte; a string is such an integer length followed by
// that many Windows-1252 bytes (a length of 0 or less is an empty string). The layout
// details are in amcreader.cpp; the XML form in amcxml.cpp.

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

// An extra (4.2): a trailer, a review or the like attached to a movie.
struct TAmcExtra
{
    bool Checked = false;
    std::string_view Tag;
    std::string_view Title;
    std::string_view Category;
    std::string_view URL;
    std::string_view Description;
    std::string_view Comments;
    std::string_view CreatedBy;
    std::string_view PictureName;
    std::string_view Picture;
};

// A custom field defined for the whole catalog (4.0 and later).
struct TAmcCustomField
{
    std::string_view Tag;
    std::string_view Name;
    std::string_view Type; // "ftString", "ftList", ... (XML: the same or without "ft")
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
    int32_t DateWatched = 0; // 4.2; as Date
    int64_t UserRating = -1; // 4.2; times 10, -1 = not set
    int32_t ColorTag = -1;   // 4.1; 0 = none, -1 = not set
    bool Checked = false;
    // The texts are UTF-8 rather than Windows-1252 (records of the XML form).
    bool Utf8 = false;
    // Otherwise the code page they are in; null for Western European (Windows-1252).
    const TCodePage *CodePage = nullptr;
    std::string_view MediaLabel;
    std::string_view MediaType; // empty in version 3.1 files
    std::string_view Source;    // empty in version 3.1 files
    std::string_view Borrower;
    std::string_view OriginalTitle;
    std::string_view TranslatedTitle;
    std::string_view Director;
    std::string_view Producer;
    std::string_view Writer;   // 4.2
    std::string_view Composer; // 4.2
    std::string_view Country;
    std::string_view Category;
    std::string_view Certification; // 4.2
    std::string_view Actors;
    std::string_view URL;
    std::string_view Description;
    std::string_view Comments;
    std::string_view FilePath; // 4.2
    std::string_view VideoFormat;
    std::string_view AudioFormat;
    std::string_view Resolution;
    std::string_view Framerate;
    std::string_view Languages;
    std::string_view Subtitles;
    std::string_view Size; // free text
    // The original extension (".jpg") of an embedded picture, or the path of a picture
    // kept as a file, relative to the catalog's folder or absolute.
    std::string_view PictureName;
    std::string_view Picture; // the picture file's bytes; empty when none
    // One value per custom field of the header, in its order (4.0 and later).
    std::vector<std::string_view> CustomValues;
    std::vector<TAmcExtra> Extras; // 4.2
};

// The header strings; Icq exists only before version 3.5. Views as in TAmcRecord.
struct TAmcHeader
{
    std::string_view Name;
    std::string_view Mail;
    std::string_view Icq;
    std::string_view Site;
    std::string_view Description;
    std::vector<TAmcCustomField> CustomFields; // 4.0 and later
};

// What the text records handed over so far carried beyond the host's slots, for the note
// after the import.
struct TAmcImportNotes
{
    size_t MoviesWithCustomValues = 0;
    std::vector<std::u16string> CustomFieldNames; // of the fields that had values
    size_t Extras = 0;
    size_t ExtraPictures = 0;
    size_t ColourTags = 0; // movies with a colour tag
    // Binary files read as Western European: movies whose titles or names look like text
    // of another code page.
    size_t MoviesInAnotherCodePage = 0;
};

struct TAmcXmlDocument;

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

    // Largest picture file read from beside the catalog.
    static constexpr size_t MaxPictureFileSize = size_t(64) << 20;
    // Reads the file at a path (UTF-8), false when there is none; for pictures kept as files.
    using TFileLoader = std::function<bool(const std::string &path, std::string &bytes)>;

    // `folder` is the catalog's folder (UTF-8, may be empty), where pictures kept as files
    // are looked for through `loader`. The texts of a binary file are in `codePage` (null:
    // Western European), the XML form's in the encoding it declares.
    explicit TAmcReader(std::string bytes,
                        std::string folder = {},
                        TFileLoader loader = {},
                        const TCodePage *codePage = nullptr);
    ~TAmcReader();
    // Records view into the bytes held here, so the reader stays where it was made.
    TAmcReader(const TAmcReader &) = delete;
    TAmcReader &operator=(const TAmcReader &) = delete;

    // 42, 41, 40, 35, 33 or 31; 0 when the signature is none of these. For the XML form,
    // the version its Format attribute names (42 when it names none this reader knows).
    int Version() const { return m_version; }
    bool IsXml() const { return m_xml != nullptr; }
    // The same for the first bytes of a file (at least the 65 of the signature).
    static int SignatureVersion(std::string_view bytes);
    const TAmcHeader &Header() const { return m_header; }
    // False when reading ended at an error (wrong signature, cut or broken record)
    // rather than at the end of the bytes.
    bool Complete() const { return m_complete; }

    size_t MovieCount() const { return m_index.size(); }
    // What the text records handed over so far put into the comments.
    const TAmcImportNotes &Notes() const { return m_notes; }
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
        size_t Offset; // of the record in m_bytes; of the XML form, into m_xmlMovies
    };

    void AddFileLines(const TAmcRecord &movie, std::u16string &comments);
    // The movie's picture kept as a file beside the catalog; false when there is none.
    bool LoadPictureFile(const TAmcRecord &movie, std::string &bytes) const;

    std::string m_bytes;
    std::string m_folder;
    TFileLoader m_loader;
    const TCodePage *m_codePage;
    std::unique_ptr<TAmcXmlDocument> m_xml;
    std::vector<TAmcRecord> m_xmlMovies; // the XML form's records, viewing into m_xml
    TAmcImportNotes m_notes;
    std::string m_pictureFile;
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
// decoded as AppendAmcText does. Unknown fields and FormattedTitle append nothing.
void AppendAmcFieldText(const TAmcRecord &movie, TAmcField field, std::u16string &out);
// Bytes of a one-byte code page as UTF-16.
void AppendCodePage(std::string_view bytes, const TCodePage &page, std::u16string &out);
// UTF-8 as UTF-16; a byte that starts no valid sequence is taken as Windows-1252 (files
// that declare one encoding and hold the other).
void AppendUtf8(std::string_view bytes, std::u16string &out);
// A record's text in its encoding. A binary file's text is in the record's code page
// unless it is valid UTF-8 with a multi-byte sequence.
void AppendAmcText(const TAmcRecord &movie, std::string_view text, std::u16string &out);
// A date serial (days since 1899-12-30) as "yyyy-MM-dd"; nothing below 1 (not set) or
// after 9999-12-31 (outside the range of the date type the serials come from).
void AppendIsoDate(int64_t serial, std::u16string &out);
// Standard Base64 with "=" fill and CR LF after every 76 output characters.
void AppendBase64Lines(std::string_view bytes, std::u16string &out);
