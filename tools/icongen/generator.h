// What the generator writes: the resource catalogue and the files behind it.
#pragma once

#include <string>
#include <vector>

#include "formats.h"

namespace icongen {

struct IconEntry {
    std::string name;  // resource name, type "IC"
    std::string file;
    int size;
};

struct BitmapEntry {
    std::string name;  // resource name, type BITMAP
    std::string file;
    int imageWidth, imageHeight, count;
    Rgb8 matte;        // what antialiased edges were blended over
    bool masked;       // transparent pixels carry kMaskColour
};

// The display scales (in per cent) the panel's and the dialog's pictures
// are drawn for beside 100 %, and a picture's size at one of them: its
// design size (at 100 %) scaled and rounded to the nearest pixel. The
// plug-in picks among the same sizes (kx::NearestPictureSize).
constexpr int kDisplayScales[] = {125, 150, 200};
constexpr int scaledSize(int designSize, int percent) { return (designSize * percent + 50) / 100; }

std::vector<IconEntry> iconCatalogue();
std::vector<BitmapEntry> bitmapCatalogue();

// The colour icon edges are blended over: a light map background.
constexpr Rgb8 kMapMatte{242, 239, 232};

struct OutputFile {
    std::string name;
    Bytes bytes;
};

// Every output file, in a fixed order, byte for byte what `icongen` writes.
std::vector<OutputFile> generateAll();

}  // namespace icongen
