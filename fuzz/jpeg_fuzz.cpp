// The JPEG texture decoder on any bytes: a picture or a GeoException, never a crash.
#include <QImage>

#include "fuzz_support.h"
#include "globe/geo_exception.h"
#include "globe/geo_texture.h"

using namespace zimbalo;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const QImage image = globe::DecodeJpeg(data, size);
        Check(!image.isNull() && image.width() > 0 && image.height() > 0, "a decoded picture");
        Check(image.format() == QImage::Format_RGB32, "32-bit layout");
    } catch (const globe::GeoException&) {
    }
    return 0;
}
