// A snapshot enumerator for the standard IEnumXxx interfaces: it holds a
// counted copy of every item, so the source may change while it is used.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <new>
#include <vector>

inline void EnumAddRef(IConnectionPoint *p) { p->AddRef(); }
inline void EnumRelease(IConnectionPoint *p) { p->Release(); }
inline void EnumAddRef(CONNECTDATA &d) { d.pUnk->AddRef(); }
inline void EnumRelease(CONNECTDATA &d) { d.pUnk->Release(); }

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
    TEnumerator(const TEnumerator &) = delete;
    TEnumerator &operator=(const TEnumerator &) = delete;

    // A new enumerator over items handed to *out, or E_OUTOFMEMORY.
    static HRESULT Create(std::vector<Item> items, IEnum **out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        try {
            *out = new TEnumerator(std::move(items));
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
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
