#include "Screenshot.h"

#include "ComPtr.h"

#include <wincodec.h>

#include <cstdio>

namespace kxapp {

namespace {

// One top-level window with its frame, from its own device context; drawn
// anew first, or only where it waits to be painted.
bool CaptureOne(HWND window, bool redraw, Picture &out) {
    RedrawWindow(window, nullptr, nullptr,
                 (redraw ? RDW_INVALIDATE | RDW_FRAME : 0) | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, source, 0, 0, SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        out.width = w;
        out.height = h;
        const uint32_t *p = static_cast<const uint32_t *>(bits);
        out.pixels.assign(p, p + static_cast<size_t>(w) * h);
        for (uint32_t &v : out.pixels) v &= 0xFFFFFF;
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(window, source);
    return ok;
}

BOOL CALLBACK CollectTopLevel(HWND w, LPARAM lp) {
    reinterpret_cast<std::vector<HWND> *>(lp)->push_back(w);
    return TRUE;
}

}  // namespace

std::vector<HWND> WindowsAbove(HWND window) {
    std::vector<HWND> windows;  // topmost first
    EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    std::vector<HWND> above;
    bool passed = false;
    for (HWND w : windows) {
        if (w == window) {
            passed = true;
            continue;
        }
        // A window the shell owns (a plug-in's modeless window) is above it
        // on Windows whatever the order here says.
        if (IsWindowVisible(w) && (!passed || GetWindow(w, GW_OWNER) == window)) above.insert(above.begin(), w);
    }
    return above;
}

bool CaptureWindow(HWND window, Picture &out) {
    if (!CaptureOne(window, true, out)) return false;
    RECT base;
    GetWindowRect(window, &base);
    // A window's own context holds only its own pixels: the thread's windows
    // above it (a dialog, a drop-down list) are laid over it, lowest first,
    // as they are on the screen: only what waits to be painted is painted.
    for (HWND w : WindowsAbove(window)) {
        Picture layer;
        RECT r;
        if (!GetWindowRect(w, &r) || !CaptureOne(w, false, layer)) continue;
        PastePicture(out, layer, r.left - base.left, r.top - base.top);
    }
    return true;
}

Picture CropPicture(const Picture &picture, RECT area) {
    const RECT whole{0, 0, picture.width, picture.height};
    RECT inside{};
    Picture out;
    if (!IntersectRect(&inside, &area, &whole)) return out;
    out.width = inside.right - inside.left;
    out.height = inside.bottom - inside.top;
    out.pixels.reserve(static_cast<size_t>(out.width) * out.height);
    for (int row = inside.top; row < inside.bottom; ++row) {
        const uint32_t *from = picture.pixels.data() + static_cast<size_t>(row) * picture.width;
        out.pixels.insert(out.pixels.end(), from + inside.left, from + inside.right);
    }
    return out;
}

void PastePicture(Picture &onto, const Picture &part, int x, int y) {
    for (int row = 0; row < part.height; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= onto.height) continue;
        for (int column = 0; column < part.width; ++column) {
            const int tx = x + column;
            if (tx < 0 || tx >= onto.width) continue;
            onto.pixels[static_cast<size_t>(ty) * onto.width + tx] = part.pixels[static_cast<size_t>(row) * part.width + column];
        }
    }
}

HRESULT WritePng(const Picture &picture, const std::wstring &path) {
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void **>(factory.Put()));
    ComPtr<IWICStream> stream;
    if (SUCCEEDED(hr)) hr = factory->CreateStream(stream.Put());
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    ComPtr<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put());
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    ComPtr<IWICBitmapFrameEncode> frame;
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.Put(), nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height));
    // 24-bit rows: no alpha channel to confuse viewers.
    std::vector<BYTE> rows(static_cast<size_t>(picture.width) * 3 * picture.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        rows[i * 3] = static_cast<BYTE>(picture.pixels[i]);
        rows[i * 3 + 1] = static_cast<BYTE>(picture.pixels[i] >> 8);
        rows[i * 3 + 2] = static_cast<BYTE>(picture.pixels[i] >> 16);
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(static_cast<UINT>(picture.height), static_cast<UINT>(picture.width) * 3,
                                static_cast<UINT>(rows.size()), rows.data());
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    return hr;
}

HRESULT WriteBmp(const Picture &picture, const std::wstring &path) {
    FILE *f = _wfopen(path.c_str(), L"wb");
    if (!f) return HRESULT_FROM_WIN32(ERROR_CANNOT_MAKE);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = picture.width;
    info.biHeight = -picture.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const DWORD bytes = static_cast<DWORD>(picture.pixels.size() * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + bytes;
    bool ok = fwrite(&file, sizeof(file), 1, f) == 1 && fwrite(&info, sizeof(info), 1, f) == 1 &&
              fwrite(picture.pixels.data(), 1, bytes, f) == bytes;
    ok = fclose(f) == 0 && ok;
    return ok ? S_OK : E_FAIL;
}

}  // namespace kxapp
