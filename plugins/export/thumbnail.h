#pragma once

#include <memory>
#include <string>
#include <string_view>

// Makes smaller copies of JPEG pictures for the web page: libjpeg decodes straight to the
// nearest size of M/8 (M = 1..4) at least `minWidth` pixels wide and re-encodes at a fast
// setting. Its decoder and encoder are kept from picture to picture; one maker per thread.
class TThumbnailMaker
{
public:
    TThumbnailMaker();
    ~TThumbnailMaker();
    TThumbnailMaker(const TThumbnailMaker &) = delete;
    TThumbnailMaker &operator=(const TThumbnailMaker &) = delete;

    // Empty when the picture is less than twice `minWidth` wide, is no JPEG libjpeg reads
    // as RGB or greyscale, or is broken: the caller then keeps the original bytes.
    std::string Make(std::string_view jpeg, int minWidth);

    // libjpeg's state, kept out of this header.
    struct TCodec;

private:
    std::unique_ptr<TCodec> m_codec;
};

// One picture with a maker of its own.
std::string JpegThumbnail(std::string_view jpeg, int minWidth);
