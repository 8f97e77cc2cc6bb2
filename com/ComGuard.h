// The COM boundary: the error type our code throws, the text of the
// exception in flight, and the guard that turns any exception into an
// HRESULT with error info, so that none crosses an interface.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <stdexcept>
#include <string>

// A failure with the text the user sees (in Russian) and the HRESULT a COM
// caller gets for it.
class EPanelError : public std::runtime_error {
public:
    explicit EPanelError(std::wstring text, HRESULT hr = E_FAIL);
    const std::wstring &Text() const { return text_; }
    HRESULT Result() const { return hr_; }

private:
    std::wstring text_;
    HRESULT hr_;
};

// The text shown for the exception in flight (call inside a catch block).
std::wstring CurrentExceptionText();

// Leaves `text` as the thread's error info, from the interface `iid`.
void SetErrorText(const std::wstring &text, REFGUID iid);

// Runs a COM method body; no exception leaves it.
template <class F>
HRESULT ComGuard(REFGUID iid, F &&body) noexcept
{
    try {
        return body();
    } catch (const EPanelError &e) {
        SetErrorText(e.Text(), iid);
        return e.Result();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (...) {
        SetErrorText(CurrentExceptionText(), iid);
        return E_FAIL;
    }
}
