#include "Seams.h"

#include <oleauto.h>

#include "kx/text.h"

namespace {

std::wstring Widen(const char *text)
{
    // Library messages come in UTF-8 or in the ANSI code page; try the stricter first.
    for (UINT cp : {UINT(CP_UTF8), UINT(CP_ACP)}) {
        DWORD flags = cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        int n = MultiByteToWideChar(cp, flags, text, -1, nullptr, 0);
        if (n > 0) {
            std::wstring out(n - 1, L'\0');
            MultiByteToWideChar(cp, flags, text, -1, &out[0], n);
            return out;
        }
    }
    return L"";
}

double PlatformNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    double days = 0;
    SystemTimeToVariantTime(&st, &days);  // whole seconds; add the milliseconds ourselves
    return days + st.wMilliseconds / 86400000.0;
}

TPanelSeams PlatformSeams()
{
    TPanelSeams s;
    s.Message = [](HWND owner, const std::wstring &text, const std::wstring &caption, UINT flags) {
        return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    };
    s.Modal = [](const std::wstring &, const std::function<INT_PTR()> &run) { return run(); };
    s.Now = PlatformNow;
    s.CreateDispatcherLink = CreateKarvexLink;
    s.Step = [](const std::wstring &) {};
    return s;
}

}  // namespace

const wchar_t kErrorBoxCaption[] = L"KXPlayerPlugin";

EPanelError::EPanelError(std::wstring text, HRESULT hr)
    : std::runtime_error(kx::ToUtf8(text)), text_(std::move(text)), hr_(hr)
{
}

TPanelSeams &PanelSeams()
{
    static TPanelSeams seams = PlatformSeams();
    return seams;
}

void ResetPanelSeams()
{
    PanelSeams() = PlatformSeams();
}

int ShowMessage(HWND owner, const std::wstring &text, const std::wstring &caption, UINT flags)
{
    return PanelSeams().Message(owner, text, caption, flags);
}

INT_PTR RunModal(const std::wstring &name, const std::function<INT_PTR()> &run)
{
    return PanelSeams().Modal(name, run);
}

double Now()
{
    return PanelSeams().Now();
}

void PanelStep(const std::wstring &step)
{
    if (PanelSeams().Step)
        PanelSeams().Step(step);
}

std::wstring CurrentExceptionText()
{
    try {
        throw;
    } catch (const EPanelError &e) {
        return e.Text();
    } catch (const std::exception &e) {
        return Widen(e.what());
    } catch (...) {
        return L"Неизвестная ошибка";
    }
}
