// Reads the image files a plug-in hands to CreateRaster: Windows icon files
// (first image) and bitmap files. Enough to know the size and to draw the
// image later; PNG-compressed icon images give their size but no pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kxshell {

enum class ImageFormat { Unknown, Icon, Bitmap };

struct DecodedImage {
    ImageFormat format = ImageFormat::Unknown;
    int width = 0;
    int height = 0;
    int bitCount = 0;
    bool decoded = false;        // pixels hold the image
    std::string problem;         // why it was not decoded, when it was not
    // Top-down rows of B, G, R, A bytes; alpha 0 where the icon's mask is set.
    std::vector<uint8_t> pixels;

    uint32_t PixelAt(int x, int y) const;  // 0xAARRGGBB
};

DecodedImage DecodeImageFile(const uint8_t *data, size_t size);

}  // namespace kxshell
