// Reads a screen dump in the X window dump format (as `xwd -root` writes it) and either checks
// that the main window shows a textured globe with the yellow central line and the red shadow
// circle, or saves the picture as a PNG (cropped to what is not background, optionally scaled).
//
//   xwd_check check <dump.xwd>
//   xwd_check png <dump.xwd> <out.png> [width]

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <QImage>
#include <QRect>

namespace {

std::uint32_t BigEndian32(const std::vector<unsigned char>& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16)
           | (std::uint32_t{b[at + 2]} << 8) | std::uint32_t{b[at + 3]};
}

int Shift(std::uint32_t mask) {
    int s = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask >>= 1;
        ++s;
    }
    return s;
}

/// Decodes a ZPixmap true-colour dump of 24 or 32 bits per pixel; a null image with a message
/// on stderr for anything else or a truncated file.
QImage ReadXwd(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    if (b.size() < 100) {
        std::fprintf(stderr, "%s: not a window dump (%zu bytes)\n", path.c_str(), b.size());
        return {};
    }
    const std::uint32_t headerSize = BigEndian32(b, 0), version = BigEndian32(b, 4),
                        format = BigEndian32(b, 8), width = BigEndian32(b, 16),
                        height = BigEndian32(b, 20), byteOrder = BigEndian32(b, 28),
                        bitsPerPixel = BigEndian32(b, 44), bytesPerLine = BigEndian32(b, 48),
                        redMask = BigEndian32(b, 56), greenMask = BigEndian32(b, 60),
                        blueMask = BigEndian32(b, 64), colours = BigEndian32(b, 76);
    if (version != 7 || format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24) || width == 0
        || height == 0 || width > 20000 || height > 20000) {
        std::fprintf(stderr, "%s: unsupported dump (version %u, format %u, %u bits per pixel)\n",
                     path.c_str(), version, format, bitsPerPixel);
        return {};
    }
    const std::size_t start = std::size_t{headerSize} + std::size_t{colours} * 12;
    if (bytesPerLine < width * (bitsPerPixel / 8)
        || b.size() < start + std::size_t{bytesPerLine} * height) {
        std::fprintf(stderr, "%s: truncated dump\n", path.c_str());
        return {};
    }
    const int bytes = static_cast<int>(bitsPerPixel / 8);
    const int rs = Shift(redMask), gs = Shift(greenMask), bs = Shift(blueMask);
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    for (std::uint32_t y = 0; y < height; ++y) {
        const unsigned char* line = b.data() + start + std::size_t{y} * bytesPerLine;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        for (std::uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = line + std::size_t{x} * bytes;
            std::uint32_t v = 0;
            for (int k = 0; k < bytes; ++k) {
                const int shift = byteOrder == 0 ? 8 * k : 8 * (bytes - 1 - k);  // 0: LSB first
                v |= std::uint32_t{p[k]} << shift;
            }
            out[x] =
                qRgb(static_cast<int>((v & redMask) >> rs), static_cast<int>((v & greenMask) >> gs),
                     static_cast<int>((v & blueMask) >> bs));
        }
    }
    return image;
}

/// The smallest rectangle holding every pixel that differs from the bottom-right one (the
/// empty screen around the window).
QRect Content(const QImage& image) {
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

struct Counts {
    long yellow = 0;         ///< the central line
    long red = 0;            ///< the shadow circle
    long coloured = 0;       ///< saturated pixels that are neither (the globe's texture)
    std::size_t shades = 0;  ///< distinct saturated colours among those, 4 bits per channel
};

Counts Count(const QImage& image) {
    Counts c;
    std::set<int> shades;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (r > 200 && g > 200 && b < 90) {
                ++c.yellow;
            } else if (r > 190 && g < 70 && b < 70) {
                ++c.red;
            } else if (std::max({r, g, b}) - std::min({r, g, b}) > 40) {
                ++c.coloured;
                shades.insert(((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4));
            }
        }
    c.shades = shades.size();
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc < 3 || (mode != "check" && mode != "png") || (mode == "png" && argc < 4)) {
        std::fprintf(stderr,
                     "usage: xwd_check check <dump.xwd> | png <dump.xwd> <out.png> [width]\n");
        return 2;
    }
    const QImage screen = ReadXwd(argv[2]);
    if (screen.isNull())
        return 2;
    const QRect window = Content(screen);
    if (window.isEmpty()) {
        std::fprintf(stderr, "the screen is empty: no window was drawn\n");
        return 1;
    }
    const QImage shown = screen.copy(window);
    if (mode == "png") {
        const int width = argc > 4 ? std::atoi(argv[4]) : 0;
        const QImage out = width > 0 && width < shown.width()
                               ? shown.scaledToWidth(width, Qt::SmoothTransformation)
                               : shown;
        // 256 colours keep the picture small enough to live in the repository.
        const QImage small = out.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
        if (!small.save(QString::fromLocal8Bit(argv[3]), nullptr, 0)) {
            std::fprintf(stderr, "%s cannot be written\n", argv[3]);
            return 1;
        }
        return 0;
    }

    const Counts c = Count(shown);
    std::printf("window %dx%d at %d,%d: yellow %ld, red %ld, coloured %ld in %zu shades\n",
                window.width(), window.height(), window.x(), window.y(), c.yellow, c.red,
                c.coloured, c.shades);
    bool ok = true;
    // A textured globe has tens of thousands of coloured pixels in hundreds of shades; a flat
    // or missing globe has one shade or none, the window's controls are grey.
    if (c.coloured < 20000 || c.shades < 60) {
        std::printf("FAIL: no textured globe\n");
        ok = false;
    }
    if (c.yellow < 40) {
        std::printf("FAIL: no yellow central line\n");
        ok = false;
    }
    if (c.red < 40) {
        std::printf("FAIL: no red shadow circle\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
