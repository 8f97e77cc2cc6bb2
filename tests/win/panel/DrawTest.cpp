// Drawing the panel into a container's device context and as a metafile.
#include "TestSupport.h"

#include <algorithm>

namespace {

// A 32-bit top-down memory bitmap to draw into and read back.
struct TCanvas {
    TCanvas(int w, int h) : width(w), height(h)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void **>(&bits), nullptr, 0);
        old = SelectObject(dc, bmp);
        PatBlt(dc, 0, 0, w, h, WHITENESS);
    }
    ~TCanvas()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        DWORD p = bits[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int CountNot(COLORREF c) const
    {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += At(x, y) != c;
        return n;
    }
    int width, height;
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
    DWORD *bits = nullptr;
};

class DrawTest : public PanelTest {};

TEST_F(DrawTest, DrawsTheWholePanelIntoAMemoryDC)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ComPtr<IViewObject2> view = control.As<IViewObject2>();
    TCanvas canvas(230, 690);
    RECTL bounds{0, 0, 230, 690};
    ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, &bounds, nullptr, nullptr, 0));
    EXPECT_GT(canvas.CountNot(RGB(255, 255, 255)), 230 * 690 / 2) << "not blank";
    EXPECT_EQ(RGB(223, 237, 229), canvas.At(3, 3)) << "the banner";
    // The stop button's symbol: drawn by hand where the font lacks it, dark at the centre either way.
    RECT stop;
    GetWindowRect(form->Controls().btnStop, &stop);
    MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT *>(&stop), 2);
    COLORREF centre = canvas.At((stop.left + stop.right) / 2, (stop.top + stop.bottom) / 2);
    EXPECT_LT(GetRValue(centre) + GetGValue(centre) + GetBValue(centre), 3 * 128);
}

// What a container prints or shows inactive must be what the user sees: the
// drawing into a supplied DC against a capture of the live window, region by
// region (labels, group frames, the list's header, the speed text, the pane).
TEST_F(DrawTest, DrawMatchesTheLiveWindow)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 230, 690, nullptr, nullptr, nullptr, nullptr);
    SetParent(form->Handle(), top);
    SetWindowLongW(form->Handle(), GWL_STYLE, (GetWindowLongW(form->Handle(), GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
    SetWindowPos(form->Handle(), nullptr, 0, 0, 230, 690, SWP_NOZORDER | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    TCanvas live(230, 690), drawn(230, 690);
    HDC window = GetDC(top);
    BitBlt(live.dc, 0, 0, 230, 690, window, 0, 0, SRCCOPY);
    ReleaseDC(top, window);
    ComPtr<IViewObject2> view = control.As<IViewObject2>();
    RECTL bounds{0, 0, 230, 690};
    ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, drawn.dc, &bounds, nullptr, nullptr, 0));

    auto rectOf = [&](HWND control) {
        RECT rc;
        GetWindowRect(control, &rc);
        MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT *>(&rc), 2);
        return rc;
    };
    auto differing = [&](RECT rc) {
        int n = 0;
        for (int y = std::max(0L, rc.top); y < std::min(690L, rc.bottom); ++y)
            for (int x = std::max(0L, rc.left); x < std::min(230L, rc.right); ++x)
                n += live.At(x, y) != drawn.At(x, y);
        return n;
    };
    // Whole controls; of a group box its caption row and left frame (what
    // it surrounds is checked as controls of its own); of the list view its
    // header (the system's scroll bars are not the panel's to draw).
    for (HWND label : {form->Controls().Label2, form->Controls().Label12, form->Controls().Label10, form->Controls().lblSpeed, form->Controls().lblDistance, form->Controls().cmbSpeed}) {
        wchar_t text[64] = {};
        GetWindowTextW(label, text, 64);
        EXPECT_EQ(0, differing(rectOf(label))) << std::string(text, text + wcslen(text));
    }
    for (HWND box : {form->Controls().GroupBox2, form->Controls().GroupBox3, form->Controls().GroupBox4, form->Controls().GroupBox5}) {
        const RECT rc = rectOf(box);
        EXPECT_EQ(0, differing({rc.left, rc.top, rc.right, rc.top + 14})) << "caption of box " << box;
        EXPECT_EQ(0, differing({rc.left, rc.top, rc.left + 3, rc.bottom})) << "frame of box " << box;
    }
    EXPECT_EQ(0, differing(rectOf(ListView_GetHeader(form->Controls().ListView1)))) << "the list's header";
    DestroyWindow(top);
}

TEST_F(DrawTest, ScalesToTheBoundsAndChecksItsArguments)
{
    ComPtr<IUnknown> control = MakeControl(nullptr);
    ComPtr<IViewObject2> view = control.As<IViewObject2>();
    TCanvas canvas(200, 400);
    RECTL half{50, 50, 165, 395};
    ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, &half, nullptr, nullptr, 0));
    EXPECT_EQ(RGB(255, 255, 255), canvas.At(10, 10)) << "outside the bounds untouched";
    EXPECT_EQ(RGB(223, 237, 229), canvas.At(60, 55));
    EXPECT_EQ(DV_E_DVASPECT,
              view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.dc, &half, nullptr, nullptr, 0));
    EXPECT_EQ(E_INVALIDARG,
              view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, nullptr, nullptr, nullptr, 0));

    SIZEL extent{};
    EXPECT_EQ(S_OK, view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent));
    EXPECT_EQ(MulDiv(230, 2540, 96), extent.cx);
    EXPECT_EQ(MulDiv(690, 2540, 96), extent.cy);
}

TEST_F(DrawTest, DataObjectGivesAMetafileOfThePanel)
{
    ComPtr<IUnknown> control = MakeControl(nullptr);
    ComPtr<IDataObject> data = control.As<IDataObject>();
    FORMATETC format{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    EXPECT_EQ(S_OK, data->QueryGetData(&format));
    STGMEDIUM medium{};
    ASSERT_EQ(S_OK, data->GetData(&format, &medium));
    ASSERT_EQ(static_cast<DWORD>(TYMED_ENHMF), medium.tymed);
    ENHMETAHEADER header{};
    ASSERT_NE(0u, GetEnhMetaFileHeader(medium.hEnhMetaFile, sizeof(header), &header));
    EXPECT_GT(header.nRecords, 3u);
    ReleaseStgMedium(&medium);

    FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(DV_E_FORMATETC, data->QueryGetData(&text));
    EXPECT_EQ(DV_E_FORMATETC, data->GetData(&text, &medium));
}

}  // namespace
