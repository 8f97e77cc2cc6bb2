// The form's properties of IKXActiveXForm and their persistence: the
// values the control object reads and writes, the font, and the property
// bag's names and kinds.
#include "KXActiveXForm.h"

#include <algorithm>

#include "Bstr.h"
#include "Seams.h"

// ---- properties -------------------------------------------------------------

bool TKXActiveXForm::Visible() const
{
    return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TKXActiveXForm::SetVisible(bool visible)
{
    ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void TKXActiveXForm::SetAutoScroll(bool on)
{
    Props.AutoScroll = on;
    UpdateScrollBars();
}

void TKXActiveXForm::SetAutoSize(bool on)
{
    Props.AutoSize = on;
    if (!on)
        return;
    // Fit the window to its contents, frame included.
    const SIZE size = ScaledSize();
    RECT rc{0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&rc, GetWindowLongW(hwnd_, GWL_STYLE), FALSE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    owner_.FormSizeChanged();
}

void TKXActiveXForm::SetAxBorderStyle(long style)
{
    if (style < afbNone || style > afbRaised)
        throw EPanelError(L"Недопустимое значение AxBorderStyle", E_INVALIDARG);
    Props.AxBorderStyle = style;
    LONG s = GetWindowLongW(hwnd_, GWL_STYLE) & ~(WS_BORDER | WS_DLGFRAME);
    LONG ex = GetWindowLongW(hwnd_, GWL_EXSTYLE) & ~(WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE);
    switch (style) {
    case afbSingle: s |= WS_BORDER; break;
    case afbSunken: ex |= WS_EX_CLIENTEDGE; break;
    case afbRaised: s |= WS_DLGFRAME; ex |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE; break;
    default: break;
    }
    SetWindowLongW(hwnd_, GWL_STYLE, s);
    SetWindowLongW(hwnd_, GWL_EXSTYLE, ex);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring TKXActiveXForm::Caption() const
{
    return Text(hwnd_);
}

void TKXActiveXForm::SetCaption(const std::wstring &caption)
{
    SetWindowTextW(hwnd_, caption.c_str());
}

void TKXActiveXForm::SetColor(OLE_COLOR color)
{
    COLORREF rgb;
    if (FAILED(OleTranslateColor(color, nullptr, &rgb)))
        throw EPanelError(L"Недопустимый цвет", CTL_E_INVALIDPROPERTYVALUE);
    Props.Color = color;
    UpdateBrush();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TKXActiveXForm::UpdateBrush()
{
    COLORREF rgb = GetSysColor(COLOR_BTNFACE);
    OleTranslateColor(Props.Color, nullptr, &rgb);
    if (brush_)
        DeleteObject(brush_);
    brush_ = CreateSolidBrush(rgb);
}

void TKXActiveXForm::SetFont(IFont *font)
{
    if (!font)
        throw EPanelError(L"Шрифт не задан", E_INVALIDARG);
    // The form keeps a font of its own: later changes to the caller's font
    // object do not reach it unless set again.
    ComPtr<IFont> copy;
    HRESULT hr = font->Clone(copy.Put());
    if (FAILED(hr) || !copy)
        throw EPanelError(L"Не удалось скопировать шрифт", FAILED(hr) ? hr : E_FAIL);
    font_ = copy;
    ApplyFont();
}

namespace {

// What the form's font object says of itself.
struct TFontFacts {
    std::wstring name;
    CY size{};
    BOOL bold = FALSE, italic = FALSE, underline = FALSE, strike = FALSE;
    SHORT charset = DEFAULT_CHARSET;
    SHORT weight = 0;
};

TFontFacts ReadFont(IFont *font)
{
    TFontFacts f;
    Bstr name;
    font->get_Name(name.Put());
    f.name = name.Str();
    font->get_Size(&f.size);
    font->get_Bold(&f.bold);
    font->get_Italic(&f.italic);
    font->get_Underline(&f.underline);
    font->get_Strikethrough(&f.strike);
    font->get_Charset(&f.charset);
    font->get_Weight(&f.weight);
    return f;
}

} // namespace

void TKXActiveXForm::ApplyFont()
{
    const TFontFacts f = ReadFont(font_.Get());
    LOGFONTW lf{};
    // Size is in points (CY: 1/10000 units), shown at the layout's scale.
    lf.lfHeight = scale_.FontHeightCy(f.size.int64);
    lf.lfWeight = f.weight ? f.weight : (f.bold ? FW_BOLD : FW_NORMAL);
    lf.lfItalic = f.italic ? TRUE : FALSE;
    lf.lfUnderline = f.underline ? TRUE : FALSE;
    lf.lfStrikeOut = f.strike ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(f.charset);
    lstrcpynW(lf.lfFaceName, f.name.c_str(), LF_FACESIZE);

    HFONT old = formFont_;
    formFont_ = CreateFontIndirectW(&lf);
    for (HWND child : formFontControls_)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), TRUE);
    if (old)
        DeleteObject(old);
}

// A quarter of the usual 96 to ten times it: beyond that no display has
// such pixels, and every size scaled by the value would be absurd.
const long kMinPixelsPerInch = 24, kMaxPixelsPerInch = 960;

void TKXActiveXForm::SetPixelsPerInch(long ppi)
{
    if (ppi < kMinPixelsPerInch || ppi > kMaxPixelsPerInch)
        throw EPanelError(L"Недопустимое значение PixelsPerInch", E_INVALIDARG);
    Props.PixelsPerInch = ppi;
    ApplyScale();
}

void TKXActiveXForm::SetScaled(bool scaled)
{
    Props.Scaled = scaled;
    ApplyScale();
}

void TKXActiveXForm::SetPrintScale(long scale)
{
    if (scale < poNone || scale > poPrintToFit)
        throw EPanelError(L"Недопустимое значение PrintScale", E_INVALIDARG);
    Props.PrintScale = scale;
}

void TKXActiveXForm::SetPopupMode(long mode)
{
    if (mode < pmNone || mode > pmExplicit)
        throw EPanelError(L"Недопустимое значение PopupMode", E_INVALIDARG);
    Props.PopupMode = mode;
}

void TKXActiveXForm::SetSnapBuffer(long pixels)
{
    if (pixels < 0)
        throw EPanelError(L"Недопустимое значение SnapBuffer", E_INVALIDARG);
    Props.SnapBuffer = pixels;
}

void TKXActiveXForm::SetDropTarget(bool on)
{
    Props.DropTarget = on;
    // What DragAcceptFiles does, without a dependency on the shell library.
    LONG ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
    SetWindowLongW(hwnd_, GWL_EXSTYLE, on ? ex | WS_EX_ACCEPTFILES : ex & ~WS_EX_ACCEPTFILES);
}

bool TKXActiveXForm::Enabled() const
{
    return IsWindowEnabled(hwnd_) != FALSE;
}

void TKXActiveXForm::SetEnabled(bool enabled)
{
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

RECT TKXActiveXForm::ExplicitBounds() const
{
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT *>(&rc), 2);
    return rc;
}

void TKXActiveXForm::SetBounds(const RECT &bounds)
{
    SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// Persisted properties, in the order they are written.
enum class TKind { Bool, Long, Text };
struct TPersisted {
    const wchar_t *name;
    TKind kind;
};
const TPersisted kPersisted[] = {
    {L"Caption", TKind::Text},         {L"Color", TKind::Long},         {L"FontName", TKind::Text},
    {L"FontSize", TKind::Long},        {L"FontBold", TKind::Bool},      {L"FontItalic", TKind::Bool},
    {L"FontUnderline", TKind::Bool},   {L"FontStrikethrough", TKind::Bool}, {L"FontCharset", TKind::Long},
    {L"AutoScroll", TKind::Bool},      {L"AutoSize", TKind::Bool},      {L"AxBorderStyle", TKind::Long},
    {L"KeyPreview", TKind::Bool},      {L"PixelsPerInch", TKind::Long}, {L"PrintScale", TKind::Long},
    {L"Scaled", TKind::Bool},          {L"DropTarget", TKind::Bool},    {L"HelpFile", TKind::Text},
    {L"PopupMode", TKind::Long},       {L"ScreenSnap", TKind::Bool},    {L"SnapBuffer", TKind::Long},
    {L"DockSite", TKind::Bool},        {L"DoubleBuffered", TKind::Bool}, {L"ParentDoubleBuffered", TKind::Bool},
    {L"UseDockManager", TKind::Bool},  {L"Enabled", TKind::Bool},       {L"AlignWithMargins", TKind::Bool},
    {L"ParentCustomHint", TKind::Bool},
};

}  // namespace

TPropertyList TKXActiveXForm::SaveProperties() const
{
    TPropertyList list;
    const TFontFacts f = ReadFont(font_.Get());

    list.emplace_back(L"Caption", Caption());
    list.emplace_back(L"Color", static_cast<long>(Props.Color));
    list.emplace_back(L"FontName", f.name);
    list.emplace_back(L"FontSize", static_cast<long>(f.size.int64));
    list.emplace_back(L"FontBold", f.bold != FALSE);
    list.emplace_back(L"FontItalic", f.italic != FALSE);
    list.emplace_back(L"FontUnderline", f.underline != FALSE);
    list.emplace_back(L"FontStrikethrough", f.strike != FALSE);
    list.emplace_back(L"FontCharset", static_cast<long>(f.charset));
    list.emplace_back(L"AutoScroll", Props.AutoScroll);
    list.emplace_back(L"AutoSize", Props.AutoSize);
    list.emplace_back(L"AxBorderStyle", Props.AxBorderStyle);
    list.emplace_back(L"KeyPreview", Props.KeyPreview);
    list.emplace_back(L"PixelsPerInch", Props.PixelsPerInch);
    list.emplace_back(L"PrintScale", Props.PrintScale);
    list.emplace_back(L"Scaled", Props.Scaled);
    list.emplace_back(L"DropTarget", Props.DropTarget);
    list.emplace_back(L"HelpFile", Props.HelpFile);
    list.emplace_back(L"PopupMode", Props.PopupMode);
    list.emplace_back(L"ScreenSnap", Props.ScreenSnap);
    list.emplace_back(L"SnapBuffer", Props.SnapBuffer);
    list.emplace_back(L"DockSite", Props.DockSite);
    list.emplace_back(L"DoubleBuffered", Props.DoubleBuffered);
    list.emplace_back(L"ParentDoubleBuffered", Props.ParentDoubleBuffered);
    list.emplace_back(L"UseDockManager", Props.UseDockManager);
    list.emplace_back(L"Enabled", Enabled());
    list.emplace_back(L"AlignWithMargins", Props.AlignWithMargins);
    list.emplace_back(L"ParentCustomHint", Props.ParentCustomHint);
    return list;
}

void TKXActiveXForm::LoadProperty(const std::wstring &name, const TPropertyValue &value)
{
    auto b = [&] { return std::get<bool>(value); };
    auto l = [&] { return std::get<long>(value); };
    auto t = [&] { return std::get<std::wstring>(value); };
    try {
        if (name == L"Caption") SetCaption(t());
        else if (name == L"Color") SetColor(static_cast<OLE_COLOR>(l()));
        else if (name == L"FontName") { font_->put_Name(Bstr(t()).Get()); ApplyFont(); }
        else if (name == L"FontSize") { CY cy; cy.int64 = l(); font_->put_Size(cy); ApplyFont(); }
        else if (name == L"FontBold") { font_->put_Bold(b()); ApplyFont(); }
        else if (name == L"FontItalic") { font_->put_Italic(b()); ApplyFont(); }
        else if (name == L"FontUnderline") { font_->put_Underline(b()); ApplyFont(); }
        else if (name == L"FontStrikethrough") { font_->put_Strikethrough(b()); ApplyFont(); }
        else if (name == L"FontCharset") { font_->put_Charset(static_cast<SHORT>(l())); ApplyFont(); }
        else if (name == L"AutoScroll") SetAutoScroll(b());
        else if (name == L"AutoSize") SetAutoSize(b());
        else if (name == L"AxBorderStyle") SetAxBorderStyle(l());
        else if (name == L"KeyPreview") Props.KeyPreview = b();
        else if (name == L"PixelsPerInch") SetPixelsPerInch(l());
        else if (name == L"PrintScale") SetPrintScale(l());
        else if (name == L"Scaled") SetScaled(b());
        else if (name == L"DropTarget") SetDropTarget(b());
        else if (name == L"HelpFile") Props.HelpFile = t();
        else if (name == L"PopupMode") SetPopupMode(l());
        else if (name == L"ScreenSnap") Props.ScreenSnap = b();
        else if (name == L"SnapBuffer") SetSnapBuffer(l());
        else if (name == L"DockSite") Props.DockSite = b();
        else if (name == L"DoubleBuffered") Props.DoubleBuffered = b();
        else if (name == L"ParentDoubleBuffered") Props.ParentDoubleBuffered = b();
        else if (name == L"UseDockManager") Props.UseDockManager = b();
        else if (name == L"Enabled") SetEnabled(b());
        else if (name == L"AlignWithMargins") Props.AlignWithMargins = b();
        else if (name == L"ParentCustomHint") Props.ParentCustomHint = b();
        // Unknown names come from newer versions: skipped.
    } catch (const std::bad_variant_access &) {
        throw EPanelError(L"Неверный тип сохранённого свойства " + name, E_INVALIDARG);
    }
}

void TKXActiveXForm::ResetProperties()
{
    TFormProperties defaults;
    SetCaption(L"KXActiveXForm");
    SetColor(defaults.Color);
    FONTDESC fd{sizeof(fd), const_cast<LPOLESTR>(L"Arial"), {{80000, 0}}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE, FALSE};
    ComPtr<IFont> font;
    if (SUCCEEDED(OleCreateFontIndirect(&fd, IID_IFont, reinterpret_cast<void **>(font.Put()))) && font) {
        font_ = font;
        ApplyFont();
    }
    SetAutoScroll(defaults.AutoScroll);
    Props.AutoSize = defaults.AutoSize;
    SetAxBorderStyle(defaults.AxBorderStyle);
    SetDropTarget(defaults.DropTarget);
    SetEnabled(true);
    Props = defaults;
    ApplyScale();
}

// Kinds of the persisted properties, for readers of untyped stores.
bool PersistedPropertyKind(const std::wstring &name, int &kind)
{
    for (const TPersisted &p : kPersisted)
        if (name == p.name) {
            kind = static_cast<int>(p.kind);
            return true;
        }
    return false;
}

std::vector<std::wstring> PersistedPropertyNames()
{
    std::vector<std::wstring> names;
    for (const TPersisted &p : kPersisted)
        names.push_back(p.name);
    return names;
}

