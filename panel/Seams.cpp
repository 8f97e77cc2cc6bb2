#include "Seams.h"

#include <commdlg.h>
#include <oleauto.h>

#include <algorithm>

#include "kx/settings.h"
#include "kx/text.h"

namespace {

double PlatformNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    double days = 0;
    SystemTimeToVariantTime(&st, &days);  // whole seconds; add the milliseconds ourselves
    return days + st.wMilliseconds / 86400000.0;
}

std::wstring PlatformSettingsPath()
{
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &exe[0], static_cast<DWORD>(exe.size()));
        if (n == 0)
            throw EPanelError(L"Не удалось узнать папку программы");
        if (n < exe.size()) {
            exe.resize(n);
            break;
        }
        exe.resize(exe.size() * 2);
    }
    const size_t slash = exe.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash);
    return kx::ToWide(kx::SettingsFilePath(kx::ToUtf8(folder)));
}

std::wstring PlatformSaveFile(HWND owner, const std::wstring &title, const std::wstring &filter,
                              const std::wstring &suggestedName, int &filterIndex)
{
    std::wstring path = suggestedName;
    path.resize(std::max<size_t>(path.size() + 1, 32768), L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
    ofn.lpstrFile = &path[0];
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&ofn))
        return std::wstring();
    filterIndex = static_cast<int>(ofn.nFilterIndex);
    path.resize(wcslen(path.c_str()));
    return path;
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
    s.SettingsPath = PlatformSettingsPath;
    s.SaveFile = PlatformSaveFile;
    s.Step = [](const std::wstring &) {};
    return s;
}

}  // namespace

const wchar_t kErrorBoxCaption[] = L"KXPlayerPlugin";

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

std::wstring SettingsPath()
{
    return PanelSeams().SettingsPath ? PanelSeams().SettingsPath() : std::wstring();
}

std::wstring ChooseSaveFile(HWND owner, const std::wstring &title, const std::wstring &filter,
                            const std::wstring &suggestedName, int &filterIndex)
{
    return PanelSeams().SaveFile ? PanelSeams().SaveFile(owner, title, filter, suggestedName, filterIndex)
                                 : std::wstring();
}

void PanelStep(const std::wstring &step)
{
    if (PanelSeams().Step)
        PanelSeams().Step(step);
}
