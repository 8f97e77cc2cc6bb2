// A minimal owning COM reference: AddRef on copy, Release on destruction.
#pragma once

#include <objbase.h>
#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(T *p) : ptr_(p) { if (ptr_) ptr_->AddRef(); }
    ComPtr(const ComPtr &o) : ComPtr(o.ptr_) {}
    ComPtr(ComPtr &&o) noexcept : ptr_(std::exchange(o.ptr_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr &operator=(ComPtr o) noexcept { std::swap(ptr_, o.ptr_); return *this; }

    // Takes over a reference the caller already owns (an out parameter's).
    static ComPtr Adopt(T *p) { ComPtr c; c.ptr_ = p; return c; }

    void Reset() { if (T *p = std::exchange(ptr_, nullptr)) p->Release(); }
    // For out parameters: releases what is held, then hands out the slot.
    T **Put() { Reset(); return &ptr_; }
    T *Get() const { return ptr_; }
    T *operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // Hands a counted reference to the caller (for out parameters).
    T *Detach() { return std::exchange(ptr_, nullptr); }
    T *CopyOut() const { if (ptr_) ptr_->AddRef(); return ptr_; }

    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> out;
        if (ptr_) ptr_->QueryInterface(__uuidof(U), reinterpret_cast<void **>(out.Put()));
        return out;
    }

private:
    T *ptr_ = nullptr;
};
