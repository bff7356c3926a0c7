#pragma once

#include <string>
#include <string_view>

// Text as it goes into the web page, from UTF-8.

// Escaped for element content and quoted attribute values: & < > " ' become references;
// control characters HTML does not allow are dropped.
void AppendEscaped(std::string &out, std::string_view text);
std::string Escaped(std::string_view text);
// True for an absolute http or https address that is safe to put in href: nothing but
// printable ASCII after the scheme (no blanks, no control characters).
bool IsWebLink(std::string_view url);
// "★★★☆☆" for a rating from 0 to 10, in half stars rounded to whole ones; empty for none.
std::string Stars(double rating);
// "1 h 35 min" from "h:mm:ss"; empty for zero or text of another shape.
std::string RunningTime(std::string_view hms);
// Base64 decoding; ignores line breaks, stops at the first other character.
// Takes the host's UTF-16 text as it is.
std::string FromBase64(std::u16string_view text);
