// The one owner of a BSTR. Whoever holds a Bstr owns the string in it: made
// from a wide string, or taken over from an out parameter; it is freed when
// the Bstr goes, unless Detach has handed it on to a caller (an out
// parameter's, or a VARIANT that VariantClear will free).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

// The text of a BSTR one does not own (an in parameter), to its full
// length; a null BSTR is the empty text.
inline std::wstring BstrText(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

class Bstr {
public:
    Bstr() = default;
    // A copy of `text`, embedded nulls included. Throws std::bad_alloc when
    // the system has no memory for it.
    explicit Bstr(std::wstring_view text)
        : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
        if (!b_)
            throw std::bad_alloc();
    }
    ~Bstr() { SysFreeString(b_); }

    Bstr(Bstr &&o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr &operator=(Bstr &&o) noexcept
    {
        std::swap(b_, o.b_);
        return *this;
    }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;

    // Takes over a BSTR the caller owns (one an out parameter returned).
    static Bstr Adopt(BSTR b)
    {
        Bstr s;
        s.b_ = b;
        return s;
    }

    BSTR Get() const { return b_; }
    // For out parameters: frees what is held, then hands out the slot.
    BSTR *Put()
    {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }
    // Hands the string to the caller, who frees it from now on.
    BSTR Detach() { return std::exchange(b_, nullptr); }

    // The text, to its full length; a null BSTR is the empty text.
    std::wstring Str() const { return BstrText(b_); }

private:
    BSTR b_ = nullptr;
};

// The string out parameter of a COM method: E_POINTER without a slot,
// E_OUTOFMEMORY (and a null string) when no copy can be made.
inline HRESULT CopyOut(std::wstring_view text, BSTR *out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}
