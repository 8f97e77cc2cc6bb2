#include "VisualStyles.h"

#include <commctrl.h>

namespace kxapp {

VisualStyles::VisualStyles(bool wanted) : wanted_(wanted) {
    if (!wanted) return;
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = GetModuleHandleW(nullptr);
    request.lpResourceName = MAKEINTRESOURCEW(KX_VISUAL_STYLES_MANIFEST);
    context_ = CreateActCtxW(&request);
    if (context_ != INVALID_HANDLE_VALUE && !ActivateActCtx(context_, &cookie_)) cookie_ = 0;
}

VisualStyles::~VisualStyles() {
    if (cookie_) DeactivateActCtx(0, cookie_);
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
}

// A version-6 button answers BCM_GETIDEALSIZE, the classic one leaves it to
// the default window procedure. (DllGetVersion cannot tell: under Wine both
// are one library.)
int CommonControlsVersion() {
    const HWND button = CreateWindowExW(0, L"BUTTON", L"OK", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!button) return 0;
    SIZE ideal{};
    const bool six = SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0;
    DestroyWindow(button);
    return six ? 6 : 5;
}

}  // namespace kxapp
