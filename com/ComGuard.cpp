#include "ComGuard.h"

#include "ComPtr.h"
#include "kx/text.h"

namespace {

// Library messages come in UTF-8 or in the ANSI code page; the stricter is tried first.
std::wstring Widen(const char *text)
{
    if (kx::IsValidUtf8(text))
        return kx::ToWide(text);
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return L"";
    std::wstring out(n - 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
    return out;
}

}  // namespace

EPanelError::EPanelError(std::wstring text, HRESULT hr)
    : std::runtime_error(kx::ToUtf8(text)), text_(std::move(text)), hr_(hr)
{
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

void SetErrorText(const std::wstring &text, REFGUID iid)
{
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.Put())) || !create)
        return;
    // The error object copies plain strings: nothing to allocate here, so
    // nothing can fail inside a guard's catch block.
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    create->SetSource(const_cast<LPOLESTR>(L"KXActiveXForm"));
    create->SetGUID(iid);
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(info.Put()))) && info)
        SetErrorInfo(0, info.Get());
}
