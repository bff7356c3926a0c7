#include "views/contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double Channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * Channel(rgb.red()) + 0.7152 * Channel(rgb.green())
           + 0.0722 * Channel(rgb.blue());
}

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableInk(const QColor &background, const QColor &preferred, const QColor &fallback)
{
    if (preferred.isValid() && ContrastRatio(background, preferred) >= MinTextContrast)
        return preferred;
    if (fallback.isValid() && ContrastRatio(background, fallback) >= MinTextContrast)
        return fallback;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(background, black) >= ContrastRatio(background, white) ? black : white;
}

QColor ReadableLink(const QColor &background, const QColor &preferred)
{
    // Where black and white contrast equally the luminance is about 0.18.
    const bool light = RelativeLuminance(background) > 0.18;
    return ReadableInk(background, preferred, light ? QColor(0, 0, 192) : QColor(140, 180, 255));
}

bool IsDarkPalette(const QColor &window, const QColor &windowText)
{
    return RelativeLuminance(window) < RelativeLuminance(windowText);
}
