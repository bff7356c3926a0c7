#pragma once

#include <string>
#include <string_view>

// A smaller copy of a JPEG picture for the web page, made by libjpeg's scaled decoding
// (1/2, 1/4 or 1/8) so it stays at least `minWidth` pixels wide. Empty when the picture
// is already small, is no JPEG libjpeg reads as RGB or greyscale, or is broken: the caller
// then keeps the original bytes.
std::string JpegThumbnail(std::string_view jpeg, int minWidth);
