// File encoders: Windows icon (one 8-bit palette image with an AND mask, the
// form the plug-in's map layer hands to the shell), bitmap strips for the
// panel's image lists, and PNG for the contact sheet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster.h"

namespace icongen {

using Bytes = std::vector<uint8_t>;

struct Rgb8 {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb8& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Pixels whose alpha is below this are transparent in icons and strips alike,
// so an icon and its image-list twin have the same outline.
constexpr float kOpaqueThreshold = 0.5f;

// Image-list transparency: pixels of this colour are masked out
// (ImageList_LoadImage / ImageList_AddMasked with crMask = RGB(255, 0, 255)).
constexpr Rgb8 kMaskColour{255, 0, 255};

// Flattens an image over `matte`: pixels under the threshold become `transparent`
// (and report false in `opaque`), the others are blended over the matte.
std::vector<Rgb8> flatten(const Image& img, Rgb8 matte, Rgb8 transparent, std::vector<bool>* opaque = nullptr);

// Deterministic median-cut palette of at most `maxColours` entries; exact when
// the pixels have that few distinct colours.
std::vector<Rgb8> buildPalette(const std::vector<Rgb8>& pixels, size_t maxColours);
size_t nearestIndex(const std::vector<Rgb8>& palette, Rgb8 c);

// .ico with one 8-bit image: 256-entry palette, index 0 black for the
// transparent pixels, XOR bitmap and AND mask bottom-up.
Bytes encodeIco8(const Image& img, Rgb8 matte);

// 24-bit bottom-up .bmp of a row of equally sized images.
Bytes encodeBmp24(const std::vector<Rgb8>& pixels, int w, int h);
Bytes encodeStrip(const std::vector<Image>& images, Rgb8 matte);

// 8-bit RGB PNG with stored (uncompressed) deflate blocks.
Bytes encodePng(const std::vector<Rgb8>& pixels, int w, int h);

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0);
uint32_t adler32(const uint8_t* data, size_t n);

}  // namespace icongen

namespace icongen {
// Reads back an icon written by encodeIco8 (one 8-bit image): colours and
// the AND mask (true = transparent). Returns false on anything else.
bool decodeIco8(const Bytes& file, int& w, int& h, std::vector<Rgb8>& pixels, std::vector<bool>& transparent);
}  // namespace icongen
