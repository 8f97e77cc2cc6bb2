// The pictures behind the layer's icon shapes, compared with the plug-in's
// "IC" resources that a test program carries (LayerTestIcons.rc).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "Raster.h"
#include "Shape.h"
#include "Symbols.h"

// The bytes of one of this program's "IC" resources (the plug-in's icons).
inline std::vector<uint8_t> IconBytes(const wchar_t *name)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name, L"IC");
    if (!resource) return {};
    const auto *bytes = static_cast<const uint8_t *>(LockResource(LoadResource(module, resource)));
    return std::vector<uint8_t>(bytes, bytes + SizeofResource(module, resource));
}

// The image bytes behind a shape's raster symbol; empty without a raster.
inline std::vector<uint8_t> SymbolIconBytes(const TShape &shape)
{
    auto *symbol = kxshell::Inspect<kxshell::RasterSymbol>(shape.Symbol());
    if (!symbol || !symbol->RasterObject()) return {};
    return symbol->RasterObject()->Bytes();
}
