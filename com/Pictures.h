// The plug-in's pictures as the icon generator wrote them into its
// resources: each at its design size under its own name and again for 125,
// 150 and 200 % display scale under "<name>_<height>". A window shows the
// one drawn nearest its scale (kx::NearestPictureSize), never a stretched one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "kx/scaling.h"

// A strip of square pictures of `designSize` pixels at 100 %, as an image
// list (magenta pixels transparent); the caller destroys it. Null when the
// module has no such strip.
HIMAGELIST LoadPictureStrip(HINSTANCE module, const std::wstring &name, int designSize,
                            const kx::TDisplayScale &scale);

// A single picture `designHeight` pixels high at 100 %; the caller deletes it.
HBITMAP LoadPicture(HINSTANCE module, const std::wstring &name, int designHeight, const kx::TDisplayScale &scale);
