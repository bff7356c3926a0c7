#pragma once

#include <QColor>

// Text colours chosen for legibility on backgrounds the user (or a dark desktop palette)
// picked. The measures are those of WCAG 2.

// Relative luminance, 0 (black) to 1 (white).
double RelativeLuminance(const QColor &color);
// Contrast ratio of two colours, 1 (equal) to 21 (black on white); symmetric.
double ContrastRatio(const QColor &a, const QColor &b);
// The least contrast of body text (WCAG level AA).
inline constexpr double MinTextContrast = 4.5;

// `preferred` when it reaches MinTextContrast on `background`, else `fallback` when that does,
// else black or white, whichever stands out more (one of them always reaches 4.5).
QColor ReadableInk(const QColor &background, const QColor &preferred, const QColor &fallback);
// The same for links: `preferred`, else a dark blue on light backgrounds or a light blue on
// dark ones, so a link still looks like one.
QColor ReadableLink(const QColor &background, const QColor &preferred);
// Whether text of the palette's own colours is light on dark (a dark desktop theme).
bool IsDarkPalette(const QColor &window, const QColor &windowText);
