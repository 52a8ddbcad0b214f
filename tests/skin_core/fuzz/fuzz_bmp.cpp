// libFuzzer target: the BMP decoder on arbitrary member bytes. Whatever the
// headers say, reading them must stay inside the data, and a picture they
// accept must decode to exactly width x height pixels. Pictures above 4,096
// pixels are only read, not decoded, which keeps each run short (the skin
// loader bounds pictures before decoding too).
#include <cstdint>
#include <cstdlib>

#include "skin/data/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quorvane;
    BmpLayout layout;
    if (!ReadBmpLayout(data, size, layout)) return 0;
    if (layout.width <= 0 || layout.height <= 0) abort();
    if (layout.pixelData < data || layout.pixelData + layout.pixelBytes != data + size) abort();
    if (layout.bits <= 8 && layout.palette.size() > (size_t{1} << layout.bits)) abort();
    if (layout.PixelCount() > (1 << 12)) return 0;
    const PixelBuffer pixels = DecodeBmp(layout);
    if (pixels.pixels.size() != static_cast<size_t>(layout.PixelCount())) abort();
    return 0;
}
