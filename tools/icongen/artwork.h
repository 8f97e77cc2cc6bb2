// The pictures themselves. Each function draws one picture into a fresh
// transparent image; the catalogue decides names, sizes and order.
#pragma once

#include <string>
#include <vector>

#include "raster.h"

namespace icongen {

// Icon of the map layer: a track with the player's arrow marker.
Image drawLayerIcon(int size);

// Info point category icons by resource key ("IcC", "IcP", ..., "Ic6").
Image drawCategoryIcon(const std::string& key, int size);

// Popup menu images: index 0..11 coloured, 12..23 the same in grey.
Image drawMenuImage(int index, int size);

// Tool bar images 0..kToolbarImageCount-1.
Image drawToolbarImage(int index, int size);
constexpr int kToolbarImageCount = 32;

// Vehicle pictures: 1..166 the vehicle icons, 0 the default car,
// 167 the "no picture" placeholder; `size` pixels square (designed at 48).
Image drawVehicle(int index, int size);
std::string vehicleDescription(int index);  // e.g. "tanker, orange" (for the preview log)

// The panel's banner logo on its light green background.
Image drawLogo(int width, int height);

}  // namespace icongen
