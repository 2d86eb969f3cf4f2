// The JPEG texture decoder on any bytes: a picture or a GeoException, never a crash.
#include <algorithm>
#include <cstdint>

#include <QImage>

#include "fuzz_support.h"
#include "globe/geo_exception.h"
#include "globe/geo_texture.h"

using namespace zimbalo;
using fuzz::Check;

namespace {

// The most pixels any frame header declares (0 when there is none). The decoder's time and memory
// grow with the declared size, not with the input: a 300-byte progressive file declaring
// 2084 x 10256 pixels takes seconds under the sanitizers. Every header counts, as a file may
// carry a small frame followed by a huge one. Such sizes are the delivered textures' business and
// are measured by the render benchmark; the fuzzer keeps to small pictures.
std::uint64_t DeclaredPixels(const std::uint8_t* data, std::size_t size) {
    std::uint64_t most = 0;
    for (std::size_t i = 0; i + 8 < size; ++i) {
        const std::uint8_t m = data[i + 1];
        if (data[i] == 0xFF && m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            const std::uint64_t height = (std::uint64_t{data[i + 5]} << 8) | data[i + 6];
            const std::uint64_t width = (std::uint64_t{data[i + 7]} << 8) | data[i + 8];
            most = std::max(most, width * height);
        }
    }
    return most;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (DeclaredPixels(data, size) > (1u << 20)) {
        return 0;
    }
    try {
        const QImage image = globe::DecodeJpeg(data, size);
        Check(!image.isNull() && image.width() > 0 && image.height() > 0, "a decoded picture");
        Check(image.format() == QImage::Format_RGB32, "32-bit layout");
    } catch (const globe::GeoException&) {
    }
    return 0;
}
