#include "PageDock.h"

#include "PluginLoader.h"

#include <algorithm>

namespace kxapp {
namespace {

const wchar_t kClass[] = L"KXShellPageDock";
const int kHeaderHeight = 24;
const int kMargin = 3;

}  // namespace

PageDock::~PageDock() {
    CloseAll();
    if (captionFont_) DeleteObject(captionFont_);
}

HWND PageDock::Create(HWND parent, ContainerFrame *frame) {
    frame_ = ComPtr<ContainerFrame>(frame);
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClass;
        registered = RegisterClassW(&wc) != 0;
    }
    captionFont_ = CreateFontW(-MulDiv(9, 96, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma");
    window_ = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 100, 100,
                              parent, nullptr, GetModuleHandleW(nullptr), this);
    return window_;
}

void PageDock::DockPages() {
    kxshell::CustomPageCollection &pages = shell_.Pages();
    report_.Line("pages", std::to_string(pages.Count()));
    for (size_t i = 0; i < pages.Count(); ++i) {
        DockedPage docked;
        docked.page = ComPtr<IPanelPage>(pages.Page(i));
        if (auto info = docked.page.As<IDisplayInfo>()) kxshell::ReadText(info.Get(), &IDisplayInfo::Caption, docked.caption);
        docked.created = docked.page->CreateControl(docked.control.Put());
        report_.Line("page", std::to_string(i + 1) + " \"" + Utf8Of(docked.caption) + "\" CreateControl " + HexOf(docked.created));
        pages_.push_back(std::move(docked));
    }
    Layout();
    for (DockedPage &docked : pages_) {
        if (FAILED(docked.created) || !docked.control) continue;
        docked.site = new ControlSite(frame_.Get(), window_, docked.caption);
        docked.site->AddRef();
        docked.activated = docked.site->Activate(docked.control.Get(), docked.body);
        report_.Line("page.activate", HexOf(docked.activated));
        if (HWND control = docked.site->ControlWindow()) {
            RECT r;
            GetWindowRect(control, &r);
            report_.Line("page.window", std::string(GetParent(control) == window_ ? "docked" : "elsewhere") + " " +
                                            std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
        }
    }
    Layout();
}

int PageDock::PreferredWidth() const {
    int width = 0;
    for (const DockedPage &docked : pages_)
        if (docked.site) width = std::max<int>(width, docked.site->NaturalSize().cx);
    // The panel's own scroll bar may come when the window is short.
    return std::max(width, 240) + 2 * kMargin + GetSystemMetrics(SM_CXVSCROLL);
}

void PageDock::Layout() {
    if (!window_ || pages_.empty()) return;
    RECT client;
    GetClientRect(window_, &client);
    const int share = (client.bottom - client.top) / static_cast<int>(pages_.size());
    int top = 0;
    for (DockedPage &docked : pages_) {
        docked.header = RECT{0, top, client.right, top + kHeaderHeight};
        docked.body = RECT{kMargin, top + kHeaderHeight + kMargin, client.right - kMargin, top + share - kMargin};
        if (docked.site && docked.site->InPlace()) docked.site->Move(docked.body);
        top += share;
    }
    InvalidateRect(window_, nullptr, TRUE);
}

HWND PageDock::FirstControlWindow() const {
    for (const DockedPage &docked : pages_)
        if (docked.site)
            if (HWND window = docked.site->ControlWindow()) return window;
    return nullptr;
}

void PageDock::DeactivateAll() {
    for (DockedPage &docked : pages_)
        if (docked.site) docked.site->Deactivate();
}

void PageDock::CloseAll() {
    for (DockedPage &docked : pages_) {
        if (docked.site) {
            docked.site->Close();
            docked.control.Reset();
            const ULONG left = docked.site->Refs();
            if (left != 1) report_.Line("leak", "control site kept " + std::to_string(left - 1) + " reference(s) by its control");
            docked.site->Release();
            docked.site = nullptr;
        }
        docked.control.Reset();
        docked.page.Reset();
    }
    pages_.clear();
}

void PageDock::Paint(HDC dc) {
    for (const DockedPage &docked : pages_) {
        RECT header = docked.header;
        // A caption strip in the style of docked tool windows.
        TRIVERTEX v[2] = {{header.left, header.top, 0x4a00, 0x6e00, 0xa800, 0},
                          {header.right, header.bottom, 0x2c00, 0x4a00, 0x7e00, 0}};
        GRADIENT_RECT g{0, 1};
        GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
        const HGDIOBJ old = SelectObject(dc, captionFont_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        RECT text = header;
        text.left += 8;
        DrawTextW(dc, docked.caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(dc, old);
        if (FAILED(docked.created) || FAILED(docked.activated)) {
            RECT body = docked.body;
            SetTextColor(dc, RGB(120, 0, 0));
            DrawTextW(dc, L"Страница не создала свой элемент управления", -1, &body, DT_WORDBREAK | DT_CENTER);
        }
    }
}

LRESULT CALLBACK PageDock::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams));
    auto *self = reinterpret_cast<PageDock *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_PAINT:
        if (self) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            self->Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        break;
    case WM_SIZE:
        if (self) self->Layout();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self) self->window_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace kxapp
