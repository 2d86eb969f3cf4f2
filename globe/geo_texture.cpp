#include "globe/geo_texture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <QFile>

#include "globe/geo_exception.h"
#include "globe/geo_projector.h"
#include "globe/geo_render_pool.h"
#include "globe/geo_renderer.h"

// libjpeg's header needs size_t and FILE declared first.
#include <jpeglib.h>

namespace zimbalo::globe {

// ---- JPEG decoding

namespace {

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void jpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

extern "C" void jpegOutputMessage(j_common_ptr) {
    // Warnings (corrupt but decodable data) are not shown.
}

void freeTextureMemory(void* memory) {
    std::free(memory);
}

/// Memory for texels. Large images are aligned to 2 MiB and marked for huge pages: texture
/// look-ups jump about all the time, and huge pages save most of the address-translation misses.
/// Small ones (the coarser levels) take cache-line alignment, so that no huge page is wasted on
/// them. Null when the memory cannot be had.
void* allocateTexels(std::size_t bytes) {
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    constexpr std::size_t kLine = 64;
    if (bytes == 0) {
        return nullptr;
    }
    if (bytes < kHuge) {
        return std::aligned_alloc(kLine, (bytes + kLine - 1) / kLine * kLine);
    }
    const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
    void* memory = std::aligned_alloc(kHuge, rounded);
#ifdef MADV_HUGEPAGE
    if (memory != nullptr) {
        madvise(memory, rounded, MADV_HUGEPAGE);
    }
#endif
    return memory;
}

/// A 32-bit image in memory from allocateTexels.
QImage allocateTextureImage(int width, int height) {
    const std::size_t bytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    void* memory = allocateTexels(bytes);
    if (memory == nullptr) {
        return QImage();
    }
    return QImage(static_cast<uchar*>(memory), width, height, width * 4, QImage::Format_RGB32,
                  freeTextureMemory, memory);
}

/// Where the decoder puts the rows of an image: it asks once for room for the image, then for
/// the memory of each row of a strip of rows, and tells when a strip is complete.
class JpegSink {
public:
    /// Rows decoded at a time: one block row of the texture's blocks.
    static constexpr int kStripRows = GeoTexelBlocks::BlockSide;

    virtual ~JpegSink() = default;
    /// Room for an image of this size; false when the memory cannot be had. Must not throw (it
    /// runs between libjpeg's frames).
    virtual bool Begin(int width, int height) noexcept = 0;
    /// Memory for row `row` (32-bit pixels, blue, green, red, padding).
    virtual unsigned char* Row(int row) noexcept = 0;
    /// Rows first .. first + count - 1 are decoded.
    virtual void Done(int first, int count) noexcept = 0;
};

/// Decodes straight into a QImage (aligned for huge pages).
class ImageSink final : public JpegSink {
public:
    explicit ImageSink(QImage* out) : m_out(out) {}

    bool Begin(int width, int height) noexcept override {
        *m_out = allocateTextureImage(width, height);
        m_bits = m_out->isNull() ? nullptr : m_out->bits();
        m_stride = m_out->isNull() ? 0 : static_cast<std::size_t>(m_out->bytesPerLine());
        return m_bits != nullptr;
    }

    unsigned char* Row(int row) noexcept override {
        return m_bits + m_stride * static_cast<std::size_t>(row);
    }

    void Done(int, int) noexcept override {}

private:
    QImage* m_out;
    unsigned char* m_bits = nullptr;
    std::size_t m_stride = 0;
};

/// Decodes a strip of rows at a time into a small buffer and moves each strip into its blocks:
/// the image is never held row by row as a whole.
class BlockSink final : public JpegSink {
public:
    explicit BlockSink(GeoTexelBlocks* out) : m_out(out) {}

    bool Begin(int width, int height) noexcept override {
        try {
            m_out->Allocate(width, height);
            m_width = width;
            m_strip.assign(static_cast<std::size_t>(width) * kStripRows, 0u);
        } catch (...) {
            return false;
        }
        return true;
    }

    unsigned char* Row(int row) noexcept override {
        return reinterpret_cast<unsigned char*>(m_strip.data()
                                                + static_cast<std::size_t>(row % kStripRows)
                                                      * static_cast<std::size_t>(m_width));
    }

    void Done(int first, int count) noexcept override {
        m_out->StoreRows(first, count, m_strip.data(), m_width);
    }

private:
    GeoTexelBlocks* m_out;
    std::vector<std::uint32_t> m_strip;
    int m_width = 0;
};

/// The decode itself, free of objects with destructors so that the error jump skips nothing.
/// Returns false with the decoder's message on failure.
bool decodeInto(const unsigned char* data, std::size_t size, JpegSink* sink, char* message) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.pub.output_message = jpegOutputMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump) != 0) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    // Blue, green, red, padding (0xFF): the 32-bit layout of the back buffer and the texture.
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    const auto width = static_cast<int>(cinfo.output_width);
    const auto height = static_cast<int>(cinfo.output_height);
    if (!sink->Begin(width, height)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", "Failed to allocate DIB Handle");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // A strip of rows at a time; libjpeg may hand over fewer rows per call than asked for.
    for (int first = 0; first < height; first += JpegSink::kStripRows) {
        const int count = std::min(JpegSink::kStripRows, height - first);
        while (static_cast<int>(cinfo.output_scanline) < first + count) {
            JSAMPROW rows[JpegSink::kStripRows];
            const int next = static_cast<int>(cinfo.output_scanline);
            const int n = first + count - next;
            for (int k = 0; k < n; ++k) {
                rows[k] = sink->Row(next + k);
            }
            jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(n));
        }
        sink->Done(first, count);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

/// Reads a whole file; throws GeoException with the system's message.
QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw GeoException(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
    return file.readAll();
}

}  // namespace

QImage DecodeJpeg(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size == 0) {
        throw GeoException(std::string("Empty JPEG data"));
    }
    QImage image;
    ImageSink sink(&image);
    char message[JMSG_LENGTH_MAX] = {};
    if (!decodeInto(data, size, &sink, message)) {
        throw GeoException(std::string(message));
    }
    return image;
}

QImage DecodeJpegFile(const QString& path) {
    const QByteArray bytes = readFile(path);
    try {
        return DecodeJpeg(reinterpret_cast<const unsigned char*>(bytes.constData()),
                          static_cast<std::size_t>(bytes.size()));
    } catch (const GeoException& e) {
        throw GeoException(QStringLiteral("%1: %2").arg(path, e.Message()));
    }
}

namespace {

bool isJpegName(const QString& path) {
    const QString lower = path.toLower();
    return lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg"))
           || lower.endsWith(QLatin1String(".jpe")) || lower.endsWith(QLatin1String(".jfif"));
}

}  // namespace

void GeoBitmap::LoadFromFile(const QString& path) {
    if (isJpegName(path)) {
        m_image = DecodeJpegFile(path);
        return;
    }
    QImage image(path);
    if (image.isNull()) {
        throw GeoException(QStringLiteral("%1: unknown picture file format").arg(path));
    }
    Assign(image);
}

// ---- texels in blocks

void GeoTexelBlocks::Free::operator()(std::uint32_t* p) const {
    std::free(p);
}

void GeoTexelBlocks::Allocate(int width, int height) {
    Clear();
    if (width <= 0 || height <= 0) {
        return;
    }
    const std::size_t blocksX = (static_cast<std::size_t>(width) + BlockMask) >> BlockShift;
    const std::size_t blocksY = (static_cast<std::size_t>(height) + BlockMask) >> BlockShift;
    const std::size_t texels = blocksX * blocksY * BlockTexels;
    if (texels > std::size_t{UINT32_MAX}) {
        throw GeoException(std::string("Failed to allocate DIB Handle"));
    }
    m_texels.reset(static_cast<std::uint32_t*>(allocateTexels(texels * 4)));
    if (!m_texels) {
        throw GeoException(std::string("Failed to allocate DIB Handle"));
    }
    m_width = width;
    m_height = height;
    m_texelCount = texels;
    // Column c lies in block c / 8 of its block row, at place c % 8 of the block's row; row r in
    // block row r / 8, at row r % 8 of its block.
    const std::size_t rowStride = blocksX * BlockTexels;
    m_columnOffsets.resize(static_cast<std::size_t>(width));
    for (std::size_t c = 0; c < m_columnOffsets.size(); ++c) {
        m_columnOffsets[c] =
            static_cast<std::uint32_t>((c >> BlockShift) * BlockTexels + (c & BlockMask));
    }
    m_rowOffsets.resize(static_cast<std::size_t>(height));
    for (std::size_t r = 0; r < m_rowOffsets.size(); ++r) {
        m_rowOffsets[r] = static_cast<std::uint32_t>((r >> BlockShift) * rowStride
                                                     + ((r & BlockMask) << BlockShift));
    }
    // The padding is never drawn; the last block row is cleared so that no texel is undefined
    // (the rows of the image overwrite their part of it).
    std::fill(m_texels.get() + (blocksY - 1) * rowStride, m_texels.get() + texels, 0u);
}

void GeoTexelBlocks::StoreRows(int first, int count, const std::uint32_t* rows,
                               std::ptrdiff_t stride) {
    const int end = std::min(first + count, m_height);
    const int fullBlocks = m_width >> BlockShift;
    const int rest = m_width & BlockMask;
    for (int row = std::max(first, 0); row < end; ++row) {
        const std::uint32_t* src = rows + static_cast<std::ptrdiff_t>(row - first) * stride;
        std::uint32_t* dst = m_texels.get() + Offset(0, row);
        // One row of a block is 8 texels; the same row of the next block lies 64 texels on.
        for (int b = 0; b < fullBlocks; ++b) {
            std::memcpy(dst, src, BlockSide * sizeof(std::uint32_t));
            src += BlockSide;
            dst += BlockTexels;
        }
        if (rest > 0) {
            std::memcpy(dst, src, static_cast<std::size_t>(rest) * sizeof(std::uint32_t));
            std::fill(dst + rest, dst + BlockSide, 0u);
        }
    }
}

std::size_t GeoTexelBlocks::Bytes() const {
    return (m_texelCount + m_columnOffsets.size() + m_rowOffsets.size()) * sizeof(std::uint32_t);
}

void GeoTexelBlocks::Assign(const QImage& image) {
    if (image.isNull()) {
        Clear();
        return;
    }
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull()) {
        throw GeoException(std::string("Failed to allocate DIB Handle"));
    }
    Allocate(rgb.width(), rgb.height());
    StoreRows(0, rgb.height(), reinterpret_cast<const std::uint32_t*>(rgb.constBits()),
              rgb.bytesPerLine() / 4);
}

void GeoTexelBlocks::Clear() {
    m_texels.reset();
    m_columnOffsets = {};
    m_rowOffsets = {};
    m_width = 0;
    m_height = 0;
    m_texelCount = 0;
}

// ---- the texture

void GeoTexture::LoadFromFile(const QString& path) {
    GeoTexelBlocks blocks;
    if (isJpegName(path)) {
        const QByteArray bytes = readFile(path);
        if (bytes.isEmpty()) {
            throw GeoException(QStringLiteral("%1: Empty JPEG data").arg(path));
        }
        BlockSink sink(&blocks);
        char message[JMSG_LENGTH_MAX] = {};
        if (!decodeInto(reinterpret_cast<const unsigned char*>(bytes.constData()),
                        static_cast<std::size_t>(bytes.size()), &sink, message)) {
            throw GeoException(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(message)));
        }
    } else {
        const QImage image(path);
        if (image.isNull()) {
            throw GeoException(QStringLiteral("%1: unknown picture file format").arg(path));
        }
        blocks.Assign(image);
    }
    m_levels.clear();
    m_levelsBuilt = false;
    m_levels.push_back(std::move(blocks));
}

void GeoTexture::Assign(const QImage& image) {
    GeoTexelBlocks blocks;
    blocks.Assign(image);
    m_levels.clear();
    m_levelsBuilt = false;
    if (!blocks.IsEmpty()) {
        m_levels.push_back(std::move(blocks));
    }
}

void GeoTexture::Clear() {
    m_levels.clear();
    m_levelsBuilt = false;
}

std::size_t GeoTexture::LevelBytes() const {
    std::size_t bytes = 0;
    for (std::size_t k = 1; k < m_levels.size(); ++k) {
        bytes += m_levels[k].Bytes();
    }
    return bytes;
}

void GeoTexture::ClearLevels() {
    if (!m_levels.empty()) {
        m_levels.resize(1);
    }
    m_levelsBuilt = false;
}

// ---- texture geometry

int TextureDepthForScale(double scale) {
    if (scale <= 2e-7) {
        return 4;
    }
    if (scale <= 2e-6) {
        return 5;
    }
    if (scale <= 2e-5) {
        return 6;
    }
    return 7;
}

GeoPoint TextureVertexPoint(double x, double y, double z, bool westernFace) {
    std::int64_t lon = roundToInt64(std::atan2(x, z) * gu::PerRadian - 1.0);
    if (westernFace) {
        lon = -std::llabs(lon);
    }
    const double s = std::clamp(y, -1.0, 1.0);
    return GeoPoint{static_cast<std::int32_t>(lon), roundToInt32(std::asin(s) * gu::PerRadian), 0};
}

GeoTexel TexelOfPoint(const GeoPoint& p, int width, int height) {
    const double lonFraction = (static_cast<double>(p.Longitude) + 972000000.0) / 1944000000.0;
    const double latFraction = (static_cast<double>(p.Latitude) + 486000000.0) / 972000000.0;
    return GeoTexel{roundToInt32(lonFraction * (width - 1)),
                    (height - 1) - roundToInt32(latFraction * (height - 1))};
}

// ---- triangle fill

namespace {

struct Edge {
    double x0 = 0.0;
    double u0 = 0.0;
    double v0 = 0.0;
    double dx = 0.0;
    double du = 0.0;
    double dv = 0.0;
    int y0 = 0;
    int yEnd = 0;

    void set(const GeoTexVertex& from, const GeoTexVertex& to) {
        x0 = from.X;
        u0 = from.U;
        v0 = from.V;
        y0 = from.Y;
        yEnd = to.Y;
        const int h = to.Y - from.Y;
        if (h > 0) {
            dx = (to.X - from.X) / static_cast<double>(h);
            du = (to.U - from.U) / static_cast<double>(h);
            dv = (to.V - from.V) / static_cast<double>(h);
        } else {
            dx = du = dv = 0.0;
        }
    }
};

/// Texture coordinates in fixed point: 32 bits of texel, 32 bits of fraction.
constexpr int kFixedShift = 32;
constexpr double kFixedOne = 4294967296.0;
constexpr std::int64_t kFixedHalf = std::int64_t{1} << (kFixedShift - 1);

inline std::int64_t toFixed(double v) {
    return static_cast<std::int64_t>(v * kFixedOne + 0.5);
}

/// Writes one texel into a pixel: as it is (alpha 255), blended with alpha, or not at all when it
/// is the transparent colour.
inline void putTexel(const GeoTextureFill& f, std::uint32_t& pixel, std::uint32_t texel) {
    if (f.HasTransparent && (texel | 0xFF000000u) == f.TransparentPixel) {
        return;
    }
    pixel = f.Alpha >= 255 ? (texel | 0xFF000000u) : BlendPixel(pixel, texel, std::max(f.Alpha, 0));
}

/// a + (b - a) w / 256 in each of the three colour channels, w in 0 .. 255.
inline std::uint32_t lerpPixel(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
    const std::uint32_t iw = 256u - w;
    const std::uint32_t rb = (((a & 0x00FF00FFu) * iw + (b & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
    const std::uint32_t g = (((a & 0x0000FF00u) * iw + (b & 0x0000FF00u) * w) >> 8) & 0x0000FF00u;
    return rb | g;
}

/// The texels of a fill and their place tables.
struct TexelSource {
    const std::uint32_t* texels;
    const std::uint32_t* columns;
    const std::uint32_t* rows;

    explicit TexelSource(const GeoTextureFill& f)
        : texels(f.Texels), columns(f.ColumnOffsets), rows(f.RowOffsets) {}

    std::uint32_t at(std::int64_t col, std::int64_t row) const {
        return texels[std::size_t{columns[col]} + rows[row]];
    }
};

/// The bilinear texel at fixed-point (u, v) (texel centres at whole numbers), the column and row
/// after it given (already clamped to the image).
inline std::uint32_t bilinearTexel(const TexelSource& t, std::int64_t u, std::int64_t v,
                                   std::int64_t col1, std::int64_t row1) {
    const std::int64_t col = u >> kFixedShift;
    const std::int64_t row = v >> kFixedShift;
    const auto wu = static_cast<std::uint32_t>(u >> (kFixedShift - 8)) & 0xFFu;
    const auto wv = static_cast<std::uint32_t>(v >> (kFixedShift - 8)) & 0xFFu;
    const std::uint32_t top = lerpPixel(t.at(col, row), t.at(col1, row), wu);
    const std::uint32_t bottom = lerpPixel(t.at(col, row1), t.at(col1, row1), wu);
    return lerpPixel(top, bottom, wv) | 0xFF000000u;
}

/// The bilinear texel at fixed-point (u, v) where the column and the row after it lie inside
/// the image: the four texels are blended in 16-bit lanes, two at a time.
inline std::uint32_t bilinearInside(const TexelSource& t, std::int64_t u, std::int64_t v) {
#ifdef __SSE2__
    const std::int64_t col = u >> kFixedShift;
    const std::int64_t row = v >> kFixedShift;
    const auto wu = static_cast<int>(static_cast<std::uint32_t>(u >> (kFixedShift - 8)) & 0xFFu);
    const auto wv = static_cast<int>(static_cast<std::uint32_t>(v >> (kFixedShift - 8)) & 0xFFu);
    // The next column or row may lie in the next block: each texel's place from the tables.
    const std::uint32_t c0 = t.columns[col];
    const std::uint32_t c1 = t.columns[col + 1];
    const std::uint32_t* r0 = t.texels + t.rows[row];
    const std::uint32_t* r1 = t.texels + t.rows[row + 1];
    const auto pair = [](std::uint32_t a, std::uint32_t b) {
        return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(a)),
                                  _mm_cvtsi32_si128(static_cast<int>(b)));
    };
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_unpacklo_epi8(pair(r0[c0], r0[c1]), zero);
    const __m128i bottom = _mm_unpacklo_epi8(pair(r1[c0], r1[c1]), zero);
    // Rows first: top (256 - wv) + bottom wv, in 8.8 fixed point per channel.
    const __m128i rows = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(static_cast<short>(256 - wv))),
                      _mm_mullo_epi16(bottom, _mm_set1_epi16(static_cast<short>(wv)))),
        8);
    // Then the columns: the left texel's lanes times (256 - wu), the right one's times wu.
    const auto iw = static_cast<short>(256 - wu);
    const auto w = static_cast<short>(wu);
    const __m128i weighted = _mm_mullo_epi16(rows, _mm_set_epi16(w, w, w, w, iw, iw, iw, iw));
    const __m128i sum = _mm_srli_epi16(_mm_add_epi16(weighted, _mm_srli_si128(weighted, 8)), 8);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, zero))) | 0xFF000000u;
#else
    return bilinearTexel(t, u, v, (u >> kFixedShift) + 1, (v >> kFixedShift) + 1);
#endif
}

#ifdef __SSE2__
/// Two neighbouring pixels of bilinearInside at once, at (u0, v0) and (u1, v1), written to
/// dst[0] and dst[1]: the same sums, each 16-bit lane holding one channel of one texel, so that
/// one multiply weighs a texel of both pixels.
inline void bilinearPairInside(const TexelSource& t, std::int64_t u0, std::int64_t v0,
                               std::int64_t u1, std::int64_t v1, std::uint32_t* dst) {
    const std::uint32_t* a0 = t.texels + t.rows[v0 >> kFixedShift];
    const std::uint32_t* a1 = t.texels + t.rows[(v0 >> kFixedShift) + 1];
    const std::uint32_t* b0 = t.texels + t.rows[v1 >> kFixedShift];
    const std::uint32_t* b1 = t.texels + t.rows[(v1 >> kFixedShift) + 1];
    const std::uint32_t ca0 = t.columns[u0 >> kFixedShift];
    const std::uint32_t ca1 = t.columns[(u0 >> kFixedShift) + 1];
    const std::uint32_t cb0 = t.columns[u1 >> kFixedShift];
    const std::uint32_t cb1 = t.columns[(u1 >> kFixedShift) + 1];
    const __m128i zero = _mm_setzero_si128();
    // One texel of each pixel, widened to 16-bit lanes: the first pixel's in lanes 0-3.
    const auto both = [&zero](std::uint32_t a, std::uint32_t b) {
        return _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(a)),
                                                    _mm_cvtsi32_si128(static_cast<int>(b))),
                                 zero);
    };
    const auto weight = [](std::int64_t f0, std::int64_t f1) {
        const auto w0 =
            static_cast<short>(static_cast<std::uint32_t>(f0 >> (kFixedShift - 8)) & 0xFFu);
        const auto w1 =
            static_cast<short>(static_cast<std::uint32_t>(f1 >> (kFixedShift - 8)) & 0xFFu);
        return _mm_unpacklo_epi64(_mm_set1_epi16(w0), _mm_set1_epi16(w1));
    };
    const __m128i full = _mm_set1_epi16(256);
    const __m128i wv = weight(v0, v1);
    const __m128i iwv = _mm_sub_epi16(full, wv);
    const __m128i wu = weight(u0, u1);
    const __m128i iwu = _mm_sub_epi16(full, wu);
    // Rows first: top (256 - wv) + bottom wv, for the left and the right texels.
    const __m128i left = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(both(a0[ca0], b0[cb0]), iwv),
                                                      _mm_mullo_epi16(both(a1[ca0], b1[cb0]), wv)),
                                        8);
    const __m128i right = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(both(a0[ca1], b0[cb1]), iwv),
                                                       _mm_mullo_epi16(both(a1[ca1], b1[cb1]), wv)),
                                         8);
    // Then the columns: left (256 - wu) + right wu.
    const __m128i sum =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(left, iwu), _mm_mullo_epi16(right, wu)), 8);
    const __m128i pixels =
        _mm_or_si128(_mm_packus_epi16(sum, zero), _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), pixels);
}
#endif

/// One span, from column start to end - 1, at fixed-point texture position (u, v) stepping by
/// (stepU, stepV) per pixel.
inline void nearestSpan(const GeoTextureFill& f, std::uint32_t* dst, int start, int end,
                        std::int64_t u, std::int64_t v, std::int64_t stepU, std::int64_t stepV,
                        bool inside) {
    const std::int64_t tw = f.TextureWidth;
    const std::int64_t th = f.TextureHeight;
    const TexelSource texels(f);
    // The texel of pixel k is the integer part of u + k stepU, added up exactly as below, so the
    // first and the last pixel bound the texels of the whole span.
    const std::int64_t steps = end - start - 1;
    const std::int64_t uLast = u + stepU * steps;
    const std::int64_t vLast = v + stepV * steps;
    if (inside
        || (std::min(u, uLast) >= 0 && (std::max(u, uLast) >> kFixedShift) < tw
            && std::min(v, vLast) >= 0 && (std::max(v, vLast) >> kFixedShift) < th)) {
        if (f.Alpha >= 255 && !f.HasTransparent) {
            for (int x = start; x < end; ++x) {
                dst[x] = texels.at(u >> kFixedShift, v >> kFixedShift);
                u += stepU;
                v += stepV;
            }
            return;
        }
        for (int x = start; x < end; ++x) {
            putTexel(f, dst[x], texels.at(u >> kFixedShift, v >> kFixedShift));
            u += stepU;
            v += stepV;
        }
        return;
    }
    // Rounding at the image's edge: coordinates clamped below at 0, texels beyond the last one
    // left out. A column past the right edge names, counted row by row, a texel of a later row
    // (the texel number is column + width x row): that texel is taken, as it always was.
    for (int x = start; x < end; ++x) {
        std::int64_t col = u > 0 ? (u >> kFixedShift) : 0;
        std::int64_t row = v > 0 ? (v >> kFixedShift) : 0;
        if (col >= tw) {
            row += col / tw;
            col %= tw;
        }
        if (row < th) {
            putTexel(f, dst[x], texels.at(col, row));
        }
        u += stepU;
        v += stepV;
    }
}

inline void bilinearSpan(const GeoTextureFill& f, std::uint32_t* dst, int start, int end,
                         std::int64_t u, std::int64_t v, std::int64_t stepU, std::int64_t stepV,
                         bool inside) {
    const std::int64_t tw = f.TextureWidth;
    const std::int64_t th = f.TextureHeight;
    const TexelSource texels(f);
    // Texel centres lie half a texel in: sample at (u - 1/2, v - 1/2) between the four centres.
    u -= kFixedHalf;
    v -= kFixedHalf;
    const std::int64_t steps = end - start - 1;
    const std::int64_t uLast = u + stepU * steps;
    const std::int64_t vLast = v + stepV * steps;
    const bool opaque = f.Alpha >= 255 && !f.HasTransparent;
    if (inside
        || (std::min(u, uLast) >= 0 && (std::max(u, uLast) >> kFixedShift) < tw - 1
            && std::min(v, vLast) >= 0 && (std::max(v, vLast) >> kFixedShift) < th - 1)) {
        // All four texels of every pixel lie inside the image.
        int x = start;
#ifdef __SSE2__
        if (opaque) {
            for (; x + 1 < end; x += 2) {
                bilinearPairInside(texels, u, v, u + stepU, v + stepV, dst + x);
                u += 2 * stepU;
                v += 2 * stepV;
            }
        }
#endif
        for (; x < end; ++x) {
            const std::uint32_t t = bilinearInside(texels, u, v);
            if (opaque) {
                dst[x] = t;
            } else {
                putTexel(f, dst[x], t);
            }
            u += stepU;
            v += stepV;
        }
        return;
    }
    // Near the image's edges the position is held inside and the texel after the last repeats it.
    const std::int64_t uMax = (tw - 1) << kFixedShift;
    const std::int64_t vMax = (th - 1) << kFixedShift;
    for (int x = start; x < end; ++x) {
        const std::int64_t cu = std::clamp(u, std::int64_t{0}, uMax);
        const std::int64_t cv = std::clamp(v, std::int64_t{0}, vMax);
        const std::int64_t col1 = std::min((cu >> kFixedShift) + 1, tw - 1);
        const std::int64_t row1 = std::min((cv >> kFixedShift) + 1, th - 1);
        putTexel(f, dst[x], bilinearTexel(texels, cu, cv, col1, row1));
        u += stepU;
        v += stepV;
    }
}

/// 1 / n for the span lengths n of most pictures, divided once (the same correctly rounded
/// values as dividing for each span, without a division's wait per span).
constexpr int kInverses = 4096;
const std::array<double, kInverses> kInverse = []() {
    std::array<double, kInverses> table{};
    for (int n = 1; n < kInverses; ++n) {
        table[static_cast<std::size_t>(n)] = 1.0 / n;
    }
    return table;
}();

/// The picture columns start .. end - 1 of a span from column xl up to (not including) xr; false
/// when it is empty or lies beside the picture.
inline bool spanColumns(const GeoTextureFill& f, int xl, int xr, int& start, int& end) {
    if (xr - xl < 1 || xr <= 0 || xl >= f.TargetWidth) {
        return false;
    }
    start = std::max(xl, 0);
    end = std::min(xr, f.TargetWidth);
    return true;
}

/// Fills the columns start .. end - 1 of row y from fixed-point (u, v), stepping per pixel.
inline void fillSpan(const GeoTextureFill& f, int y, int start, int end, std::int64_t u,
                     std::int64_t v, std::int64_t stepU, std::int64_t stepV, bool inside) {
    std::uint32_t* dst = f.Target + f.TargetStride * y;
    if (f.Bilinear) {
        bilinearSpan(f, dst, start, end, u, v, stepU, stepV, inside);
    } else {
        nearestSpan(f, dst, start, end, u, v, stepU, stepV, inside);
    }
}

inline void drawSpan(const GeoTextureFill& f, int y, double xa, double ua, double va, double xb,
                     double ub, double vb, bool inside) {
    int xl = static_cast<int>(xa);
    int xr = static_cast<int>(xb);
    double ul = ua, vl = va, ur = ub, vr = vb;
    if (xl > xr) {
        std::swap(xl, xr);
        std::swap(ul, ur);
        std::swap(vl, vr);
    }
    int start = 0;
    int end = 0;
    if (!spanColumns(f, xl, xr, start, end)) {
        return;
    }
    // One division per span (mostly a look-up); from there on additions.
    const int length = xr - xl;
    const double inverse =
        length < kInverses ? kInverse[static_cast<std::size_t>(length)] : 1.0 / length;
    const double du = (ur - ul) * inverse;
    const double dv = (vr - vl) * inverse;
    fillSpan(f, y, start, end, toFixed(ul + du * (start - xl)), toFixed(vl + dv * (start - xl)),
             toFixed(du), toFixed(dv), inside);
}

/// The affine map of a triangle from pixels to texture coordinates: u = u0 + dudx x + dudy y.
struct TexturePlane {
    double u0 = 0.0;
    double v0 = 0.0;
    double dudx = 0.0;
    double dudy = 0.0;
    double dvdx = 0.0;
    double dvdy = 0.0;
    std::int64_t stepU = 0;  ///< dudx in fixed point
    std::int64_t stepV = 0;

    /// False for a triangle without area (it has no span to draw).
    bool set(const GeoTexVertex& a, const GeoTexVertex& b, const GeoTexVertex& c) {
        const double x1 = b.X - a.X;
        const double y1 = b.Y - a.Y;
        const double x2 = c.X - a.X;
        const double y2 = c.Y - a.Y;
        const double det = x1 * y2 - x2 * y1;
        if (det == 0.0) {
            return false;
        }
        const double inverse = 1.0 / det;
        const double bu = b.U - a.U;
        const double cu = c.U - a.U;
        const double bv = b.V - a.V;
        const double cv = c.V - a.V;
        dudx = (bu * y2 - cu * y1) * inverse;
        dudy = (cu * x1 - bu * x2) * inverse;
        dvdx = (bv * y2 - cv * y1) * inverse;
        dvdy = (cv * x1 - bv * x2) * inverse;
        u0 = a.U - dudx * a.X - dudy * a.Y;
        v0 = a.V - dvdx * a.X - dvdy * a.Y;
        stepU = toFixed(dudx);
        stepV = toFixed(dvdx);
        return true;
    }
};

inline void drawPlaneSpan(const GeoTextureFill& f, int y, double xa, double xb,
                          const TexturePlane& plane, bool inside) {
    int xl = static_cast<int>(xa);
    int xr = static_cast<int>(xb);
    if (xl > xr) {
        std::swap(xl, xr);
    }
    int start = 0;
    int end = 0;
    if (!spanColumns(f, xl, xr, start, end)) {
        return;
    }
    fillSpan(f, y, start, end, toFixed(plane.u0 + plane.dudx * start + plane.dudy * y),
             toFixed(plane.v0 + plane.dvdx * start + plane.dvdy * y), plane.stepU, plane.stepV,
             inside);
}

}  // namespace

namespace {

/// Whether every texture position of a triangle lies a texel inside the image, so that no span
/// needs its bounds checked: the positions lie between the corners' (up to rounding far below a
/// texel; from the plane up to one pixel's step more, as a span starts at a truncated x).
bool triangleInside(const GeoTextureFill& f, const GeoTexVertex& a, const GeoTexVertex& b,
                    const GeoTexVertex& c, const TexturePlane& plane) {
    const double marginU = 1.0 + std::abs(plane.dudx);
    const double marginV = 1.0 + std::abs(plane.dvdx);
    return std::min({a.U, b.U, c.U}) >= marginU
           && std::max({a.U, b.U, c.U}) <= f.TextureWidth - 1.0 - marginU
           && std::min({a.V, b.V, c.V}) >= marginV
           && std::max({a.V, b.V, c.V}) <= f.TextureHeight - 1.0 - marginV;
}

/// The scan lines of a triangle from its top vertex t down, v1 and v2 the vertices after it,
/// within the rows rowBegin .. rowEnd - 1.
void fillRows(const GeoTextureFill& f, const GeoTexVertex& t, const GeoTexVertex& v1,
              const GeoTexVertex& v2, const TexturePlane& plane, bool inside, int rowBegin,
              int rowEnd) {
    Edge ea;
    Edge eb;
    ea.set(t, v1);
    eb.set(t, v2);
    int switches = 0;
    int y = t.Y;
    for (;;) {
        // An edge that reached its lower vertex continues to the remaining vertex; the second
        // such switch ends the triangle (its bottom line belongs to the triangle below).
        if (y >= ea.yEnd) {
            if (++switches == 2) {
                break;
            }
            ea.set(v1, v2);
            if (y >= ea.yEnd) {
                break;
            }
        }
        if (y >= eb.yEnd) {
            if (++switches == 2) {
                break;
            }
            eb.set(v2, v1);
            if (y >= eb.yEnd) {
                break;
            }
        }
        if (y >= rowEnd) {
            break;
        }
        if (y < rowBegin) {
            // Lines above the band draw nothing: jump to its first line or the next vertex,
            // whichever comes first. Each line's values depend on the line alone, so a band
            // draws its lines exactly as the whole picture would.
            y = std::min({rowBegin, ea.yEnd, eb.yEnd});
            continue;
        }
        const double ka = y - ea.y0;
        const double kb = y - eb.y0;
        if (f.PlaneSetup) {
            drawPlaneSpan(f, y, ea.x0 + ka * ea.dx, eb.x0 + kb * eb.dx, plane, inside);
        } else {
            drawSpan(f, y, ea.x0 + ka * ea.dx, ea.u0 + ka * ea.du, ea.v0 + ka * ea.dv,
                     eb.x0 + kb * eb.dx, eb.u0 + kb * eb.du, eb.v0 + kb * eb.dv, inside);
        }
        ++y;
    }
}

}  // namespace

void FillTexturedTriangle(const GeoTextureFill& f, const GeoTexVertex& a, const GeoTexVertex& b,
                          const GeoTexVertex& c) {
    const int minY = std::min({a.Y, b.Y, c.Y});
    const int maxY = std::max({a.Y, b.Y, c.Y});
    if (BoxOutside(std::min({a.X, b.X, c.X}), minY, std::max({a.X, b.X, c.X}), maxY, f.TargetWidth,
                   f.TargetHeight)) {
        return;
    }
    const int rowBegin = std::max(f.RowBegin, 0);
    const int rowEnd = std::min(f.RowEnd, f.TargetHeight);
    if (maxY < rowBegin || minY >= rowEnd) {
        return;
    }
    TexturePlane plane;
    if (f.PlaneSetup && !plane.set(a, b, c)) {
        return;
    }
    const bool inside = triangleInside(f, a, b, c, plane);
    const GeoTexVertex* v[3] = {&a, &b, &c};
    int top = 0;
    if (v[1]->Y < v[top]->Y) {
        top = 1;
    }
    if (v[2]->Y < v[top]->Y) {
        top = 2;
    }
    fillRows(f, *v[top], *v[(top + 1) % 3], *v[(top + 2) % 3], plane, inside, rowBegin, rowEnd);
}

// ---- pre-filtered levels

namespace {

/// Mean of four pixels per channel, rounded.
inline std::uint32_t average4(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    const std::uint32_t rb = (((a & 0x00FF00FFu) + (b & 0x00FF00FFu) + (c & 0x00FF00FFu)
                               + (d & 0x00FF00FFu) + 0x00020002u)
                              >> 2)
                             & 0x00FF00FFu;
    const std::uint32_t g =
        ((((a >> 8) & 0xFFu) + ((b >> 8) & 0xFFu) + ((c >> 8) & 0xFFu) + ((d >> 8) & 0xFFu) + 2u)
         >> 2)
        << 8;
    return 0xFF000000u | rb | g;
}

GeoTexelBlocks halve(const GeoTexelBlocks& src) {
    const int w = (src.Width() + 1) / 2;
    const int h = (src.Height() + 1) / 2;
    GeoTexelBlocks dst;
    dst.Allocate(w, h);
    const int sw = src.Width();
    const int sh = src.Height();
    std::vector<std::uint32_t> row(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        const int y0 = 2 * y;
        const int y1 = std::min(y0 + 1, sh - 1);
        for (int x = 0; x < w; ++x) {
            const int x0 = 2 * x;
            const int x1 = std::min(x0 + 1, sw - 1);
            row[static_cast<std::size_t>(x)] =
                average4(src.At(x0, y0), src.At(x1, y0), src.At(x0, y1), src.At(x1, y1));
        }
        dst.StoreRows(y, 1, row.data(), w);
    }
    return dst;
}

}  // namespace

void GeoTexture::BuildLevels() const {
    if (m_levelsBuilt || m_levels.empty()) {
        return;
    }
    m_levels.resize(1);
    while (m_levels.back().Width() > 8 && m_levels.back().Height() > 8) {
        GeoTexelBlocks next = halve(m_levels.back());
        m_levels.push_back(std::move(next));
    }
    m_levelsBuilt = true;
}

int TextureLevelFor(double textureArea, double screenArea, int levels) {
    if (levels <= 1 || !(screenArea > 0.0) || !(textureArea > screenArea)) {
        return 0;
    }
    // Texels per pixel along a side: the square root of the area ratio; its log2, rounded, picks
    // the level whose texels come closest to one per pixel.
    const double lambda = 0.5 * std::log2(textureArea / screenArea);
    const int level = static_cast<int>(std::floor(lambda + 0.5));
    return std::clamp(level, 0, levels - 1);
}

// ---- the mapper

namespace {

struct Vec3 {
    double x;
    double y;
    double z;
};

constexpr Vec3 kFaces[8][3] = {
    {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},    {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}},
    {{0, -1, 0}, {0, 0, 1}, {1, 0, 0}},   {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
    {{0, 1, 0}, {-1, 0, 0}, {0, 0, -1}},  {{0, 1, 0}, {0, 0, 1}, {-1, 0, 0}},
    {{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}, {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
};

}  // namespace

void GeoTextureMapper::prepareVertex(int face, Vertex& v) {
    if (!v.geometry) {
        // Where the vertex lies on the Earth does not depend on the view: computed once.
        v.point = TextureVertexPoint(v.x, v.y, v.z, face >= 4);
        v.earth = GeoSphericalPrj::EarthFixed(v.point);
        v.geometry = true;
    }
    if (v.texelStamp != m_texelStamp) {
        const GeoTexel t = TexelOfPoint(v.point, m_fill.TextureWidth, m_fill.TextureHeight);
        v.column = t.Column;
        v.row = t.Row;
        v.texelStamp = m_texelStamp;
    }
    const GeoProjected q = m_model->ProjectEarthFixed(v.earth);
    v.visible = m_model->IsVisible(q, 0);
    v.px = m_model->PixelX(q.sx);
    v.py = m_model->PixelY(q.sy);
    v.projectionStamp = m_stamp;
}

void GeoTextureMapper::Draw(QImage& target, const GeoSphericalPrj& model, double scale,
                            const GeoTexture& texture, int alpha, GeoColor transparent,
                            GeoTextureFilter filter, GeoRenderPool* pool,
                            const GeoTextureSideWork& side) {
    m_trianglesFilled = 0;
    for (std::vector<Triangle>& found : m_faceTriangles) {
        found.clear();
    }
    if (texture.IsEmpty() || target.isNull() || target.format() != QImage::Format_RGB32) {
        if (side.background != clNone && !target.isNull()) {
            target.fill(PixelOf(side.background));
        }
        if (side.alongside) {
            side.alongside();
        }
        return;
    }
    const int depth = TextureDepthForScale(scale);
    useMesh(depth, texture);
    m_model = &model;
    m_radius = model.Radius();
    bindFill(target, texture, alpha, transparent);
    // A keyed colour must stay exact: textures with a transparent colour take the nearest texel.
    m_levels = filter != GeoTextureFilter::Nearest && !m_fill.HasTransparent;
    m_bilinear = m_levels && filter == GeoTextureFilter::Bilinear;
    m_texture = &texture;
    if (m_levels) {
        texture.BuildLevels();
    }
    // The faces share no vertex of the mesh (each has its own grid), so they are subdivided on
    // the pool's threads; their triangles are then taken in face order, as on one thread.
    const auto subdivideFace = [&](int face) {
        std::vector<Triangle>& found = m_faceTriangles[static_cast<std::size_t>(face)];
        Vertex* corners[3] = {&vertex(face, 0, 0), &vertex(face, m_n, 0), &vertex(face, 0, m_n)};
        for (std::size_t k = 0; k < 3; ++k) {
            if (!corners[k]->geometry) {
                corners[k]->x = kFaces[face][k].x;
                corners[k]->y = kFaces[face][k].y;
                corners[k]->z = kFaces[face][k].z;
            }
            prepareVertex(face, *corners[k]);
        }
        subdivide(face, depth, 0, 0, m_n, 0, 0, m_n, found);
    };
    constexpr int kFaceCount = static_cast<int>(std::size(kFaces));
    if (pool != nullptr && pool->Threads() > 1) {
        pool->Run(kFaceCount, subdivideFace);
    } else {
        for (int face = 0; face < kFaceCount; ++face) {
            subdivideFace(face);
        }
    }
    for (const std::vector<Triangle>& found : m_faceTriangles) {
        m_trianglesFilled += static_cast<int>(found.size());
    }
    m_model = nullptr;
    fillBands(target.height(), pool, side);
    m_texture = nullptr;
}

void GeoTextureMapper::useMesh(int depth, const GeoTexture& texture) {
    const int n = 1 << depth;
    m_mesh = &m_meshes[static_cast<std::size_t>(depth)];
    m_n = n;
    if (m_mesh->n != n) {
        m_mesh->n = n;
        m_mesh->faceSize = static_cast<std::size_t>(n + 1) * static_cast<std::size_t>(n + 1);
        m_mesh->vertices.assign(8 * m_mesh->faceSize, Vertex{});
    }
    ++m_stamp;
    if (texture.Width() != m_texelWidth || texture.Height() != m_texelHeight) {
        m_texelWidth = texture.Width();
        m_texelHeight = texture.Height();
        ++m_texelStamp;
    }
    if (m_stamp == 0 || m_texelStamp == 0) {
        // A stamp wrapped: forget every cached projection and texel.
        for (Mesh& mesh : m_meshes) {
            for (Vertex& v : mesh.vertices) {
                v.projectionStamp = 0;
                v.texelStamp = 0;
            }
        }
        m_stamp = 1;
        m_texelStamp = 1;
    }
}

void GeoTextureMapper::bindFill(QImage& target, const GeoTexture& texture, int alpha,
                                GeoColor transparent) {
    m_fill.Target = reinterpret_cast<std::uint32_t*>(target.bits());
    m_fill.TargetWidth = target.width();
    m_fill.TargetHeight = target.height();
    m_fill.TargetStride = target.bytesPerLine() / 4;
    m_fill.SetTexels(texture.Level(0));
    m_fill.Alpha = alpha;
    m_fill.HasTransparent = transparent != clNone;
    m_fill.TransparentPixel = PixelOf(transparent);
    m_fill.RowBegin = 0;
    m_fill.RowEnd = target.height();
    m_fill.Bilinear = false;
}

void GeoTextureMapper::fillBands(int height, GeoRenderPool* pool, const GeoTextureSideWork& side) {
    const std::function<void()>& alongside = side.alongside;
    // The triangles are filled in the order they were found, band by band: a pixel is written by
    // the same triangles in the same order whatever the bands, so the picture is the same. A band
    // of 64 rows (256 KB of a 1024-pixel picture) stays in the core's cache while its triangles
    // are filled, where the whole picture would not; several bands per thread even out the
    // unequal rows of the disc. Narrower bands cut more triangles in two, each part set up anew.
    constexpr int kBandShift = 6;
    constexpr int kBandRows = 1 << kBandShift;
    const int bands = (height + kBandRows - 1) / kBandRows;
    // Each band's triangles, in the order found: a band reads only its own, not the whole list.
    m_bandStart.assign(static_cast<std::size_t>(bands) + 1, 0u);
    const auto bandsOf = [&](const Triangle& t) {
        return std::pair{std::max(t.minY, 0) >> kBandShift,
                         std::min(t.maxY, height - 1) >> kBandShift};
    };
    for (const std::vector<Triangle>& found : m_faceTriangles) {
        for (const Triangle& t : found) {
            const auto [first, last] = bandsOf(t);
            for (int k = first; k <= last; ++k) {
                ++m_bandStart[static_cast<std::size_t>(k) + 1];
            }
        }
    }
    for (std::size_t k = 1; k < m_bandStart.size(); ++k) {
        m_bandStart[k] += m_bandStart[k - 1];
    }
    m_bandTriangles.resize(m_bandStart.back());
    std::vector<std::uint32_t> next(m_bandStart.begin(), m_bandStart.end() - 1);
    for (const std::vector<Triangle>& found : m_faceTriangles) {
        for (const Triangle& t : found) {
            const auto [first, last] = bandsOf(t);
            for (int k = first; k <= last; ++k) {
                m_bandTriangles[next[static_cast<std::size_t>(k)]++] = &t;
            }
        }
    }
    auto band = [&](int k) {
        fillBand(k, k * kBandRows, std::min(height, (k + 1) * kBandRows), side.background);
    };
    if (pool == nullptr || pool->Threads() <= 1 || bands < 2) {
        if (alongside) {
            alongside();
        }
        for (int k = 0; k < bands; ++k) {
            band(k);
        }
        return;
    }
    if (!alongside) {
        pool->Run(bands, band);
        return;
    }
    // The other work is handed out first, so that it is done by the time the bands are.
    pool->Run(bands + 1, [&](int k) {
        if (k == 0) {
            alongside();
        } else {
            band(k - 1);
        }
    });
}

void GeoTextureMapper::fillBand(int band, int rowBegin, int rowEnd, GeoColor background) const {
    GeoTextureFill fill = m_fill;
    if (background != clNone && rowBegin < rowEnd) {
        // The first row pixel by pixel, the others copied from it: the copy moves whole vectors.
        std::uint32_t* first = fill.Target + fill.TargetStride * rowBegin;
        std::fill(first, first + fill.TargetWidth, PixelOf(background));
        const auto rowBytes = static_cast<std::size_t>(fill.TargetWidth) * 4;
        for (int y = rowBegin + 1; y < rowEnd; ++y) {
            std::memcpy(fill.Target + fill.TargetStride * y, first, rowBytes);
        }
    }
    fill.RowBegin = rowBegin;
    fill.RowEnd = rowEnd;
    fill.Bilinear = m_bilinear;
    fill.PlaneSetup = m_levels;
    const auto k = static_cast<std::size_t>(band);
    for (std::uint32_t i = m_bandStart[k]; i < m_bandStart[k + 1]; ++i) {
        const Triangle& t = *m_bandTriangles[i];
        if (m_levels) {
            fill.SetTexels(m_texture->Level(t.level));
        }
        FillTexturedTriangle(fill, t.v[0], t.v[1], t.v[2]);
    }
}

bool GeoTextureMapper::projectsOutside(const Vertex& a, const Vertex& b, const Vertex& c) const {
    // The projection is linear, so a point of the spherical triangle, a normalised convex
    // combination s (alpha a + beta b + gamma c) of its corners with 1 <= s <= 1 / cos(rho),
    // projects to the matching combination of the projected corners pushed out from the centre by
    // at most R (1 / cos(rho) - 1); rho, the largest angle from corner a to the others, bounds how
    // far the triangle reaches from a. Corners are rounded to pixels: one more pixel each way.
    const double cosRho =
        std::min(a.x * b.x + a.y * b.y + a.z * b.z, a.x * c.x + a.y * c.y + a.z * c.z);
    if (cosRho < 0.25) {
        return false;  // too large a triangle for the bound to help
    }
    const double margin = m_radius * (1.0 / cosRho - 1.0) + 2.0;
    const auto grow = static_cast<std::int64_t>(std::ceil(margin));
    return BoxOutside(std::int64_t{std::min({a.px, b.px, c.px})} - grow,
                      std::int64_t{std::min({a.py, b.py, c.py})} - grow,
                      std::int64_t{std::max({a.px, b.px, c.px})} + grow,
                      std::int64_t{std::max({a.py, b.py, c.py})} + grow, m_fill.TargetWidth,
                      m_fill.TargetHeight);
}

void GeoTextureMapper::subdivide(int face, int depth, int ia, int ja, int ib, int jb, int ic,
                                 int jc, std::vector<Triangle>& out) {
    const Vertex& a = vertex(face, ia, ja);
    const Vertex& b = vertex(face, ib, jb);
    const Vertex& c = vertex(face, ic, jc);
    if (depth == 0) {
        if (a.visible && b.visible && c.visible) {
            addTriangle(a, b, c, out);
        }
        return;
    }
    if ((!a.visible && !b.visible && !c.visible) || projectsOutside(a, b, c)) {
        return;  // none of its triangles would be drawn
    }
    int iab = 0, jab = 0, iac = 0, jac = 0, ibc = 0, jbc = 0;
    prepareMidpoint(face, ia, ja, ib, jb, iab, jab);
    prepareMidpoint(face, ia, ja, ic, jc, iac, jac);
    prepareMidpoint(face, ib, jb, ic, jc, ibc, jbc);
    subdivide(face, depth - 1, ia, ja, iac, jac, iab, jab, out);
    subdivide(face, depth - 1, ib, jb, iab, jab, ibc, jbc, out);
    subdivide(face, depth - 1, ic, jc, ibc, jbc, iac, jac, out);
    subdivide(face, depth - 1, iab, jab, iac, jac, ibc, jbc, out);
}

void GeoTextureMapper::prepareMidpoint(int face, int i0, int j0, int i1, int j1, int& im, int& jm) {
    im = (i0 + i1) / 2;
    jm = (j0 + j1) / 2;
    Vertex& m = vertex(face, im, jm);
    if (m.projectionStamp == m_stamp) {
        return;
    }
    if (!m.geometry) {
        const Vertex& p = vertex(face, i0, j0);
        const Vertex& q = vertex(face, i1, j1);
        double x = p.x + q.x;
        double y = p.y + q.y;
        double z = p.z + q.z;
        const double len2 = x * x + y * y + z * z;
        if (len2 > 1e-10) {
            const double len = std::sqrt(len2);
            x /= len;
            y /= len;
            z /= len;
        }
        m.x = x;
        m.y = y;
        m.z = z;
    }
    prepareVertex(face, m);
}

void GeoTextureMapper::addTriangle(const Vertex& a, const Vertex& b, const Vertex& c,
                                   std::vector<Triangle>& out) const {
    Triangle t;
    t.v = {GeoTexVertex{a.px, a.py, double(a.column), double(a.row)},
           GeoTexVertex{b.px, b.py, double(b.column), double(b.row)},
           GeoTexVertex{c.px, c.py, double(c.column), double(c.row)}};
    t.minY = std::min({a.py, b.py, c.py});
    t.maxY = std::max({a.py, b.py, c.py});
    if (BoxOutside(std::min({a.px, b.px, c.px}), t.minY, std::max({a.px, b.px, c.px}), t.maxY,
                   m_fill.TargetWidth, m_fill.TargetHeight)) {
        return;
    }
    if (m_levels) {
        // The level whose texels come closest to one per pixel of this triangle; its
        // coordinates are those of level 0 halved once per level.
        const double texArea = std::abs((b.column - a.column) * double(c.row - a.row)
                                        - (c.column - a.column) * double(b.row - a.row));
        const double screenArea =
            std::abs((b.px - a.px) * double(c.py - a.py) - (c.px - a.px) * double(b.py - a.py));
        t.level = TextureLevelFor(texArea, screenArea, m_texture->Levels());
        const double k = std::ldexp(1.0, -t.level);
        for (GeoTexVertex& tv : t.v) {
            tv.U *= k;
            tv.V *= k;
        }
    }
    out.push_back(t);
}

}  // namespace zimbalo::globe
