#include "Pictures.h"

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);  // the generator's KX_IMAGE_MASK_COLOUR

HBITMAP LoadBitmapResource(HINSTANCE module, const std::wstring &name)
{
    return static_cast<HBITMAP>(LoadImageW(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The name of the picture drawn nearest the scale; the design one when only
// that was drawn.
HBITMAP LoadNearest(HINSTANCE module, const std::wstring &name, int designSize, const kx::TDisplayScale &scale)
{
    const int size = kx::NearestPictureSize(designSize, scale);
    HBITMAP bitmap = size == designSize ? nullptr : LoadBitmapResource(module, name + L"_" + std::to_wstring(size));
    return bitmap ? bitmap : LoadBitmapResource(module, name);
}

}  // namespace

HIMAGELIST LoadPictureStrip(HINSTANCE module, const std::wstring &name, int designSize,
                            const kx::TDisplayScale &scale)
{
    HBITMAP bitmap = LoadNearest(module, name, designSize, scale);
    if (!bitmap)
        return nullptr;
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    HIMAGELIST list = nullptr;
    if (bm.bmHeight > 0 && bm.bmWidth >= bm.bmHeight) {
        list = ImageList_Create(bm.bmHeight, bm.bmHeight, ILC_COLOR24 | ILC_MASK, bm.bmWidth / bm.bmHeight, 4);
        if (list)
            ImageList_AddMasked(list, bitmap, kTransparent);
    }
    DeleteObject(bitmap);
    return list;
}

HBITMAP LoadPicture(HINSTANCE module, const std::wstring &name, int designHeight, const kx::TDisplayScale &scale)
{
    return LoadNearest(module, name, designHeight, scale);
}
