// Helpers at the COM boundary: exceptions become HRESULTs with error info,
// interface parts delegate their IUnknown, and a small enumerator template.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <vector>

#include "Seams.h"

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

// An interface part shares its object's identity and reference count.
#define KX_PART_IUNKNOWN(Class)                                                             \
    STDMETHODIMP Class::QueryInterface(REFIID iid, void **out) { return c_.QueryInterface(iid, out); } \
    STDMETHODIMP_(ULONG) Class::AddRef() { return c_.AddRef(); }                            \
    STDMETHODIMP_(ULONG) Class::Release() { return c_.Release(); }

inline void EnumAddRef(IConnectionPoint *p) { p->AddRef(); }
inline void EnumRelease(IConnectionPoint *p) { p->Release(); }
inline void EnumAddRef(CONNECTDATA &d) { d.pUnk->AddRef(); }
inline void EnumRelease(CONNECTDATA &d) { d.pUnk->Release(); }

// A snapshot enumerator: holds a counted copy of every item.
template <class IEnum, class Item>
class TEnumerator final : public IEnum {
public:
    explicit TEnumerator(std::vector<Item> items, size_t position = 0) : items_(std::move(items)), pos_(position)
    {
        for (Item &item : items_)
            EnumAddRef(item);
    }
    ~TEnumerator()
    {
        for (Item &item : items_)
            EnumRelease(item);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != __uuidof(IEnum))
            return E_NOINTERFACE;
        *out = static_cast<IEnum *>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG n = InterlockedDecrement(&refs_);
        if (!n)
            delete this;
        return n;
    }

    STDMETHODIMP Next(ULONG count, Item *out, ULONG *fetched) override
    {
        if (fetched)
            *fetched = 0;
        if (!out || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && pos_ < items_.size()) {
            out[n] = items_[pos_++];
            EnumAddRef(out[n]);
            ++n;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = items_.size() - pos_;
        pos_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        pos_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnum **out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        try {
            *out = new TEnumerator(items_, pos_);
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

private:
    LONG refs_ = 1;
    std::vector<Item> items_;
    size_t pos_;
};
