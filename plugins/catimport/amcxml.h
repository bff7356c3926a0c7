#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "amcreader.h"

// A small XML reader for the XML form of Ant Movie Catalog files (plain C++, like the
// binary reader). It knows elements, attributes, text, CDATA, comments, processing
// instructions, the predefined entities and character references, and UTF-8, UTF-16 or
// Windows-1252 (ISO-8859-1) as the declaration or byte order mark names; a DOCTYPE is
// skipped. It stops at
// the first error, keeping what was complete before it, and never nests deeper than
// MaxDepth. Everything it holds is UTF-8.
struct TAmcXmlElement
{
    static constexpr size_t MaxDepth = 64;

    std::string Name;
    std::vector<std::pair<std::string, std::string>> Attributes;
    std::string Text; // the text directly inside, pieces joined
    std::vector<TAmcXmlElement> Children;
    bool Closed = false; // its end tag (or "/>") was read

    // The value of an attribute or, failing that, of a closed child element's text; null
    // when neither exists.
    const std::string *Value(std::string_view name) const;
    const TAmcXmlElement *Child(std::string_view name) const;
};

struct TAmcXmlDocument
{
    TAmcXmlElement Root;
    bool WellFormed = false; // read to the end without an error
};

// Parses `bytes` into `document`; false when they hold no element at all.
bool ParseAmcXml(std::string_view bytes, TAmcXmlDocument &document);

// Reads an Ant Movie Catalog XML file: false (and nothing read) unless its root element is
// <AntMovieCatalog>. The records view into `document`, which must outlive them and stay
// unchanged. `version` is that of the Format attribute, 42 for one this reader does not
// know; `complete` is false when the XML ended in an error.
bool ReadAmcXml(std::string_view bytes,
                TAmcXmlDocument &document,
                TAmcHeader &header,
                std::vector<TAmcRecord> &movies,
                int &version,
                bool &complete);

// Whether the first bytes of a file look like that XML form.
bool LooksLikeAmcXml(std::string_view head);
