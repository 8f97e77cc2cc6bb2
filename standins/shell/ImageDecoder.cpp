#include "ImageDecoder.h"

#include <cstring>

namespace kxshell {
namespace {

uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int32_t I32(const uint8_t *p) { return static_cast<int32_t>(U32(p)); }

size_t RowStride(int width, int bits) { return ((static_cast<size_t>(width) * bits + 31) / 32) * 4; }

// Decodes a device-independent bitmap (info header, palette, pixels and, for
// icons, the 1-bit AND mask after the pixels). An icon's header height counts
// both the colour image and the mask, hence iconHeight.
bool DecodeDib(const uint8_t *dib, size_t size, bool isIcon, DecodedImage &image, size_t pixelOffsetGiven = 0) {
    if (size < 40) { image.problem = "truncated bitmap header"; return false; }
    const uint32_t headerSize = U32(dib);
    if (headerSize < 40 || headerSize > size) { image.problem = "unsupported bitmap header"; return false; }
    const int32_t width = I32(dib + 4);
    int32_t height = I32(dib + 8);
    const uint16_t bits = U16(dib + 14);
    const uint32_t compression = U32(dib + 16);
    uint32_t colours = U32(dib + 32);
    bool topDown = false;
    if (isIcon) height /= 2;
    if (height < 0) { topDown = true; height = -height; }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) { image.problem = "bad bitmap size"; return false; }
    image.width = width;
    image.height = height;
    image.bitCount = bits;
    if (compression != 0 /* BI_RGB */) { image.problem = "compressed bitmap"; return false; }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) { image.problem = "unsupported bit count"; return false; }
    if (bits <= 8 && (colours == 0 || colours > (1u << bits))) colours = 1u << bits;
    const size_t paletteOffset = headerSize;
    const size_t paletteSize = bits <= 8 ? static_cast<size_t>(colours) * 4 : 0;
    // A bitmap file's header says where the pixels start; that wins over the
    // palette size.
    const size_t pixelOffset = pixelOffsetGiven >= paletteOffset ? pixelOffsetGiven : paletteOffset + paletteSize;
    if (paletteOffset + paletteSize > size) { image.problem = "truncated palette"; return false; }
    const size_t stride = RowStride(width, bits);
    const size_t maskStride = RowStride(width, 1);
    const size_t pixelBytes = stride * height;
    if (pixelOffset + pixelBytes > size) { image.problem = "truncated bitmap pixels"; return false; }
    const bool hasMask = isIcon && pixelOffset + pixelBytes + maskStride * height <= size;
    const uint8_t *palette = dib + paletteOffset;
    const uint8_t *pixels = dib + pixelOffset;
    const uint8_t *mask = pixels + pixelBytes;

    image.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    bool anyAlpha = false;
    for (int row = 0; row < height; ++row) {
        const int sourceRow = topDown ? row : height - 1 - row;
        const uint8_t *src = pixels + stride * sourceRow;
        uint8_t *dst = &image.pixels[static_cast<size_t>(row) * width * 4];
        for (int x = 0; x < width; ++x) {
            uint8_t b = 0, g = 0, r = 0, a = 255;
            if (bits <= 8) {
                const int perByte = 8 / bits;
                const int shift = 8 - bits * (x % perByte + 1);
                const uint32_t index = (src[x / perByte] >> shift) & ((1u << bits) - 1);
                if (index < colours) {
                    b = palette[index * 4];
                    g = palette[index * 4 + 1];
                    r = palette[index * 4 + 2];
                }
            } else if (bits == 24) {
                b = src[x * 3]; g = src[x * 3 + 1]; r = src[x * 3 + 2];
            } else {
                b = src[x * 4]; g = src[x * 4 + 1]; r = src[x * 4 + 2]; a = src[x * 4 + 3];
                if (a) anyAlpha = true;
            }
            dst[x * 4] = b; dst[x * 4 + 1] = g; dst[x * 4 + 2] = r; dst[x * 4 + 3] = a;
        }
    }
    // A 32-bit image whose alpha bytes are all zero carries no alpha: opaque
    // unless the mask says otherwise.
    if (bits == 32 && !anyAlpha)
        for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
    if (hasMask && !(bits == 32 && anyAlpha)) {
        for (int row = 0; row < height; ++row) {
            const int sourceRow = topDown ? row : height - 1 - row;
            const uint8_t *m = mask + maskStride * sourceRow;
            for (int x = 0; x < width; ++x)
                if ((m[x / 8] >> (7 - x % 8)) & 1)
                    image.pixels[(static_cast<size_t>(row) * width + x) * 4 + 3] = 0;
        }
    }
    image.decoded = true;
    return true;
}

void DecodeIcon(const uint8_t *data, size_t size, DecodedImage &image) {
    const uint16_t count = U16(data + 4);
    if (count == 0 || size < 6 + 16u * count) { image.problem = "truncated icon directory"; return; }
    const uint8_t *entry = data + 6;
    image.width = entry[0] ? entry[0] : 256;
    image.height = entry[1] ? entry[1] : 256;
    image.bitCount = U16(entry + 6);
    const uint32_t bytes = U32(entry + 8);
    const uint32_t offset = U32(entry + 12);
    if (offset >= size || bytes > size - offset) { image.problem = "icon image outside the file"; return; }
    const uint8_t *dib = data + offset;
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes >= 24 && std::memcmp(dib, png, 8) == 0) {
        // Big-endian width and height of the PNG header chunk.
        image.width = static_cast<int>((dib[16] << 24) | (dib[17] << 16) | (dib[18] << 8) | dib[19]);
        image.height = static_cast<int>((dib[20] << 24) | (dib[21] << 16) | (dib[22] << 8) | dib[23]);
        image.problem = "PNG-compressed icon image";
        return;
    }
    DecodeDib(dib, bytes, true, image);
}

}  // namespace

uint32_t DecodedImage::PixelAt(int x, int y) const {
    if (!decoded || x < 0 || y < 0 || x >= width || y >= height) return 0;
    const uint8_t *p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
    return (static_cast<uint32_t>(p[3]) << 24) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

DecodedImage DecodeImageFile(const uint8_t *data, size_t size) {
    DecodedImage image;
    if (!data || size < 6) { image.problem = "too short for an image file"; return image; }
    if (U16(data) == 0 && U16(data + 2) == 1) {
        image.format = ImageFormat::Icon;
        DecodeIcon(data, size, image);
    } else if (data[0] == 'B' && data[1] == 'M' && size >= 14 + 40) {
        image.format = ImageFormat::Bitmap;
        const uint32_t offBits = U32(data + 10);
        DecodeDib(data + 14, size - 14, false, image, offBits > 14 ? offBits - 14 : 0);
    } else {
        image.problem = "not an icon or bitmap file";
    }
    return image;
}

}  // namespace kxshell
