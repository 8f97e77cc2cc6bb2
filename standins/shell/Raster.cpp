#include "Raster.h"

namespace kxshell {

Raster::Raster(RegistryPtr registry, std::vector<uint8_t> bytes)
    : ComObject(std::move(registry), "Raster"), bytes_(std::move(bytes)),
      image_(std::make_shared<DecodedImage>(DecodeImageFile(bytes_.data(), bytes_.size()))) {}

}  // namespace kxshell
