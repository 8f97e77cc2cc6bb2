// An image a plug-in gave the shell as the bytes of an .ico or .bmp file.
// The bytes are kept as they came; the first image is decoded for drawing.
#pragma once

#include "ImageDecoder.h"
#include "ShellObject.h"

#include <memory>

namespace kxshell {

class Raster : public ComObject<IRaster> {
public:
    Raster(RegistryPtr registry, std::vector<uint8_t> bytes);

    const std::vector<uint8_t> &Bytes() const { return bytes_; }
    const DecodedImage &Image() const { return *image_; }
    // Shared so that descriptions taken by ShapeWalker outlive the raster.
    std::shared_ptr<const DecodedImage> SharedImage() const { return image_; }
    int Width() const { return image_->width; }
    int Height() const { return image_->height; }

private:
    std::vector<uint8_t> bytes_;
    std::shared_ptr<const DecodedImage> image_;
};

}  // namespace kxshell
