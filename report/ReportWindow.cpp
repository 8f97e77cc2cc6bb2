#include "ReportWindow.h"

#include "RoutedWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "WindowDpi.h"
#include "kx/error.h"
#include "kx/player.h"
#include "kx/text.h"

namespace {

// A popup: an owned window of that kind stays above its owner on every platform.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
// At 96 dots per inch.
constexpr int kWidth = 640, kHeight = 440, kMinWidth = 360, kMinHeight = 300;
constexpr int kGap = 8, kTotalsWidth = 300, kTotalsHeight = 200, kButtonWidth = 100, kButtonHeight = 24;

int g_reportCount = 0;

std::wstring W(const std::string &utf8)
{
    return kx::ToWide(utf8);
}

}  // namespace

UINT TFormReport::SummaryMessage()
{
    static const UINT message = RegisterWindowMessageW(L"KXReportSummary");
    return message;
}

TFormReport::TFormReport(HWND owner, TReportActions actions, const std::optional<RECT> &place)
    : owner_(owner), actions_(std::move(actions))
{
    if (g_reportCount++ == 0) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = RoutedWindowProc<TFormReport>;
        wc.hInstance = TSpeedChart::Module();
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc);
    }
    scale_ = kx::TDisplayScale(std::max(kx::kDesignDpi, WindowDpi(owner)), kx::kDesignDpi, true);
    LOGFONTW lf{};
    lf.lfHeight = scale_.FontHeight(8);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    font_ = CreateFontIndirectW(&lf);

    RECT r{0, 0, Scaled(kWidth), Scaled(kHeight)};
    if (place && place->right - place->left >= Scaled(kMinWidth) / 2 && place->bottom - place->top >= Scaled(kMinHeight) / 2) {
        r = *place;
    } else {
        // Beside the owner's left edge, or where the system puts windows.
        RECT ownerRect{};
        if (owner && GetWindowRect(owner, &ownerRect))
            OffsetRect(&r, ownerRect.left + Scaled(40), ownerRect.top + Scaled(60));
    }
    // A remembered place on a screen no longer there comes back into view.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT seen{};
    if (!IntersectRect(&seen, &r, &work))
        OffsetRect(&r, work.left - r.left, work.top - r.top);
    hwnd_ = CreateWindowExW(kExStyle, kWindowClass, kCaption, kStyle, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, owner, nullptr, TSpeedChart::Module(), this);
    if (hwnd_) {
        CreateComponents();
        Layout();
        FillTotals();
    }
}

TFormReport::~TFormReport()
{
    chart_.reset();
    if (hwnd_)
        DestroyWindow(hwnd_);
    if (font_)
        DeleteObject(font_);
    if (--g_reportCount == 0)
        UnregisterClassW(kWindowClass, TSpeedChart::Module());
}

void TFormReport::CreateComponents()
{
    auto make = [&](const wchar_t *cls, const wchar_t *text, DWORD style, int id) {
        HWND w = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), TSpeedChart::Module(), nullptr);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return w;
    };
    totals_ = make(WC_LISTVIEWW, L"", LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL | WS_BORDER, idTotals);
    SendMessageW(totals_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const struct {
        const wchar_t *caption;
        int width;
    } columns[] = {{L"Показатель", 150}, {L"Значение", 140}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t *>(columns[i].caption);
        column.cx = Scaled(columns[i].width);
        SendMessageW(totals_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    note_ = make(WC_STATICW, L"", SS_LEFT, idNote);
    hover_ = make(WC_STATICW, L"", SS_LEFT, idHover);
    save_ = make(WC_BUTTONW, L"Сохранить…", BS_PUSHBUTTON | WS_TABSTOP, idSave);
    TSpeedChartActions chartActions;
    chartActions.Seek = [this](kx::TDateTime t) {
        if (actions_.Seek)
            actions_.Seek(t);
    };
    chartActions.Hover = [this](std::optional<kx::TDateTime> t, double kmh) { ShowHover(t, kmh); };
    chart_ = std::make_unique<TSpeedChart>(hwnd_, idChart, font_, std::move(chartActions));
}

void TFormReport::Layout()
{
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int gap = Scaled(kGap), totalsWidth = Scaled(kTotalsWidth), totalsHeight = Scaled(kTotalsHeight);
    const int right = client.right - gap;
    MoveWindow(totals_, gap, gap, totalsWidth, totalsHeight, TRUE);
    const int side = gap + totalsWidth + gap;
    MoveWindow(note_, side, gap, std::max(0, right - side), totalsHeight - Scaled(kButtonHeight) - 2 * gap - Scaled(32),
               TRUE);
    MoveWindow(hover_, side, gap + totalsHeight - Scaled(kButtonHeight) - gap - Scaled(32), std::max(0, right - side),
               Scaled(32), TRUE);
    MoveWindow(save_, std::max(side, right - Scaled(kButtonWidth)), gap + totalsHeight - Scaled(kButtonHeight),
               Scaled(kButtonWidth), Scaled(kButtonHeight), TRUE);
    const int chartTop = gap + totalsHeight + gap;
    MoveWindow(chart_->Handle(), gap, chartTop, std::max(0, right - gap),
               std::max(0, static_cast<int>(client.bottom) - chartTop - gap), TRUE);
}

void TFormReport::Show()
{
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void TFormReport::Hide()
{
    ShowWindow(hwnd_, SW_HIDE);
}

void TFormReport::ShowTrip(const kx::Track *track, const std::vector<kx::TStops> &stops,
                           const std::vector<kx::TimePeriod> *speeding, const TTripDescription &trip)
{
    track_ = track && !track->empty() ? track : nullptr;
    trip_ = trip;
    // The chart lets go of the old profile before it goes.
    chart_->SetProfile(nullptr);
    profile_ = track_ ? kx::TripProfile::FromTrack(*track_, stops, speeding) : kx::TripProfile();
    chart_->SetProfile(&profile_);
    EnableWindow(save_, track_ != nullptr);
    FillTotals();
    ShowHover(std::nullopt, 0);
}

void TFormReport::SetPlayerTime(kx::TDateTime t)
{
    if (track_)
        chart_->SetCursorTime(t);
}

void TFormReport::FillTotals()
{
    SendMessageW(totals_, LVM_DELETEALLITEMS, 0, 0);
    auto dateText = [this](kx::TDateTime t) {
        return actions_.DateText ? kx::ToUtf8(actions_.DateText(t)) : kx::FormatFixedDateTime(t);
    };
    const auto lines = kx::TotalsLines(profile_.totals(), actions_.DecimalSeparator, dateText);
    int row = 0;
    for (const auto &line : lines) {
        std::wstring label = W(line.first), value = W(line.second);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = &label[0];
        SendMessageW(totals_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = &value[0];
        SendMessageW(totals_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        ++row;
    }
    SetWindowTextW(note_, W(kx::RepairedNote(profile_.totals())).c_str());
}

void TFormReport::ShowHover(std::optional<kx::TDateTime> t, double kmh)
{
    std::wstring text;
    if (t) {
        const std::wstring date = actions_.DateText ? actions_.DateText(*t) : W(kx::FormatFixedDateTime(*t));
        text = date + L"\r\n" + W(kx::SpeedLabel(kmh, actions_.DecimalSeparator));
    }
    SetWindowTextW(hover_, text.c_str());
}

void TFormReport::SaveClick()
{
    if (!track_ || !actions_.ChooseSaveFile)
        return;
    int index = filterIndex_;
    const std::wstring path =
        actions_.ChooseSaveFile(hwnd_, SuggestedExportName(trip_, static_cast<TExportFormat>(index)), index);
    if (path.empty())
        return;
    filterIndex_ = index;
    Export(ExportFormatFor(path, index), path);
}

bool TFormReport::Export(TExportFormat format, const std::wstring &path)
{
    try {
        if (!track_)
            throw kx::Error("Рейс не выбран: сохранять нечего");
        ExportTrip(*track_, trip_, format, path, actions_.DecimalSeparator);
        return true;
    } catch (const kx::Error &e) {
        if (actions_.ShowError)
            actions_.ShowError(hwnd_, W(e.what()));
        return false;
    }
}

std::string TFormReport::Summary() const
{
    const kx::TripTotals &t = profile_.totals();
    char text[256];
    std::snprintf(text, sizeof text,
                  "points=%d distance_m=%.0f duration_s=%lld moving_s=%lld standing_s=%lld max_kmh=%.1f avg_kmh=%.1f "
                  "stops=%d",
                  t.points, t.distanceMetres, static_cast<long long>(t.durationSeconds),
                  static_cast<long long>(t.movingSeconds), static_cast<long long>(t.standingSeconds), t.maxKmh,
                  t.avgMovingKmh, t.stops);
    return text;
}

LRESULT TFormReport::Dispatch(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == SummaryMessage()) {
        const std::wstring text = W(Summary());
        auto *buffer = reinterpret_cast<wchar_t *>(lp);
        const size_t room = static_cast<size_t>(wp);
        if (!buffer || room == 0)
            return 0;
        const size_t n = std::min(room - 1, text.size());
        std::copy_n(text.begin(), n, buffer);
        buffer[n] = L'\0';
        return static_cast<LRESULT>(n);
    }
    switch (msg) {
    case WM_SIZE:
        if (chart_)
            Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto *info = reinterpret_cast<MINMAXINFO *>(lp);
        info->ptMinTrackSize = POINT{Scaled(kMinWidth), Scaled(kMinHeight)};
        return 0;
    }
    case WM_EXITSIZEMOVE:
        if (actions_.PlaceChanged) {
            RECT r{};
            GetWindowRect(hwnd_, &r);
            actions_.PlaceChanged(r);
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == idSave && HIWORD(wp) == BN_CLICKED) {
            SaveClick();
            return 0;
        }
        break;
    case WM_CLOSE:
        Hide();
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}
