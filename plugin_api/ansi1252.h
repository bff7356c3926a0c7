/*
 * The "ANSI" code page of the contract, Windows-1252, in one place for the program and
 * every plug-in: 0x80..0x9F by table (the five unassigned bytes map to the C1 controls,
 * as the Windows conversion does), the rest of the upper half is Latin-1.
 */
#ifndef REELKEEP_PLUGIN_API_ANSI1252_H
#define REELKEEP_PLUGIN_API_ANSI1252_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

static const char16_t RkAnsiHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

/* One byte as UTF-16. */
static inline char16_t RkAnsiToUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? RkAnsiHigh[byte - 0x80] : (char16_t)byte;
}

/* One UTF-16 unit as a byte; '?' for characters the code page lacks (and surrogates). */
static inline char RkUnicodeToAnsi(char16_t c)
{
    int i;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return (char)c;
    for (i = 0; i < 32; ++i) {
        if (RkAnsiHigh[i] == c)
            return (char)(0x80 + i);
    }
    return '?';
}

#ifdef __cplusplus
}
#endif

#endif
