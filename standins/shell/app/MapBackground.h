// The base map under the layers, drawn without any network: a light ground,
// the streets of the stand-in city the dispatcher's vehicles drive along, a
// graticule with degree labels, and a scale bar.
#pragma once

#include "Viewport.h"

#include <windows.h>

namespace kxapp {

void DrawMapBackground(HDC dc, const Viewport &view);
// Drawn last, above the layers.
void DrawScaleBar(HDC dc, const Viewport &view);

}  // namespace kxapp
