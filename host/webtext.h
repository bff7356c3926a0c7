#pragma once

#include <QByteArray>
#include <QString>

// Pure text helpers that turn downloaded pages and plug-in answers into catalog text and
// back. None keeps state and none fails: bad input gives the documented default. Plug-ins
// and the rules files depend on the exact behaviour, so change none lightly.
//
// "8-bit text" is Windows-1252 (catalog/ansi.h); the QString parameters that stand for it
// are what FromAnsi() made of such bytes.

// A downloaded page as UTF-16. The character set comes from the Content-Type meta tag,
// found only as http-equiv="Content-Type" or http-equiv="content-type" (exactly), with
// "charset=" anywhere in the page before that tag's ">" (the first "charset=" of the
// page counts, even in an earlier comment) and the name running to the next '"'. A name
// WindowsCodePageForCharset() knows decodes the page with that code page; no tag, no
// name or an unknown one (also "utf-8") decodes it as Windows-1252.
QString PageToWide(const QByteArray &page);

// A downloaded page as UTF-16, reading its character set from, in this order: the
// "charset=" parameter of the HTTP Content-Type header `contentType`; UTF-8 for a JSON
// type without one (JSON is UTF-8 by definition); the first <meta> tag in the page's
// first 4096 bytes that names a charset, in the http-equiv form (content="...;
// charset=NAME") or the HTML5 form (charset="NAME"), any case; else the one-argument
// rule above. Names are those of WindowsCodePageForCharset() plus "utf-8" and "utf8";
// an unknown name counts as none.
QString PageToWide(const QByteArray &page, QByteArrayView contentType);

// The Windows code page of a meta-tag charset name from a fixed list of 55 names
// ("windows-1251", "koi8-r", "shift_jis", ...; not "utf-8"), compared as ASCII without
// regard to case and without trimming; 0 for any other name.
int WindowsCodePageForCharset(const QString &name);

// Bytes in a Windows code page as UTF-16, through iconv. Code pages without an iconv
// counterpart (and 1252 itself) decode as Windows-1252. A byte sequence the code page
// does not define becomes U+FFFD and decoding goes on with the next byte, so a broken
// character never costs the rest of the page.
QString DecodeWithCodePage(const QByteArray &bytes, int codePage);

// Decodes numeric character references ("&#8211;", "&#x41;"), removes the line-break
// tags <br>, <br/>, <br />, <nobr> and </nobr> (exact case), then decodes &nbsp;
// &hellip; &mdash; &amp; &laquo; &raquo; &quot; in that order, so "&amp;quot;" ends as '"'.
// A numeric reference holds decimal digits, or hex digits after "x", "X", "0x" or "$";
// anything else (also a decimal value over 2^31 - 1 or a hex one over 32 bits) reads as
// 0, and a reference whose low 16 bits are 0 stays as it is. Only those 16 bits are
// used (one UTF-16 code unit). Decoding of numeric references stops at the first "&#"
// with no ";" anywhere after it.
QString DecodeHtmlText(const QString &text);

// Percent-encodes 8-bit text for a URL template: "%", bytes up to 32 and above 126, and
// "'^\/;,|&$+=?@<>#{}~[]`() become "%XX" (upper-case hex of the byte); a blank is "%20".
QByteArray EncodeUrlText(const QByteArray &ansiText);

// The integer before the first blank: "120 min" gives 120. Leading and trailing
// characters up to U+0020 are trimmed first; the number is an optional sign and decimal
// digits that fit 32 bits. 0 for anything else.
int LeadingInteger(const QString &text);

// Whole megabytes in a size such as "1.5 GB", "700MB" or "512 kb", rounded up. The unit
// (GB, MB, KB, any case, searched in that order) counts only when its first occurrence
// is not at the start; the number before it may use "." or "," as decimal separator. A
// text without a counting unit, or whose number is not above 0, gives LeadingInteger() of
// the text. Sizes beyond the 64-bit range give the largest qint64.
qint64 SizeInMegabytes(const QString &text);

// A time-of-day value (fraction of a day) of minutes div 60 hours and minutes mod 60
// minutes. Like any time of day it wraps after 24 hours (1500 minutes give 01:00); a
// negative count gives 0.
double MinutesToTime(int minutes);
// MinutesToTime() of the trimmed text read as an integer (as LeadingInteger() reads its
// number); 0 when the text is not an integer.
double TextMinutesToTime(const QString &text);
// The whole minutes (hours * 60 + minutes, seconds dropped) of the time of day in the
// fraction of the value, rounded to milliseconds first, as decimal text. A negative value
// counts by its magnitude; not-a-number and infinities give "0".
QString TimeToMinutesText(double time);
