// Base of every object the stand-in shell hands out: a real COM object with
// its own reference count, registered with the shell's registry so tests can
// watch the count, and reachable from any of its interface pointers through
// the private identity interface IShellIdentity (see Inspect below).
#pragma once

#include "GrymCore.h"
#include "ShellRegistry.h"

#include <memory>
#include <new>
#include <string>
#include <utility>

namespace kxshell {

class ShellObject;

// Private to this library: hands back the C++ object behind an interface
// pointer. Its GUID is ours; a plug-in never asks for it.
struct IShellIdentity : public IUnknown {
    virtual ShellObject *STDMETHODCALLTYPE Object() = 0;
};

}  // namespace kxshell

__CRT_UUID_DECL(kxshell::IShellIdentity, 0xd7ca24cb, 0x89e3, 0x478e, 0x8a, 0x86, 0xc0, 0x97, 0xe4, 0xea, 0x24, 0xd4)

namespace kxshell {

using RegistryPtr = std::shared_ptr<ShellRegistry>;

class ShellObject {
public:
    ShellObject(RegistryPtr registry, const char *kind);
    virtual ~ShellObject();
    ShellObject(const ShellObject &) = delete;
    ShellObject &operator=(const ShellObject &) = delete;

    ULONG RefCount() const { return refs_; }
    const char *Kind() const { return kind_; }
    uint64_t Serial() const { return serial_; }
    ShellRegistry &Registry() const { return *registry_; }
    const RegistryPtr &SharedRegistry() const { return registry_; }

protected:
    ULONG IncrementRefs() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG DecrementRefs() { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }
    void Log(std::string entry) { registry_->Log(std::move(entry)); }
    // Entries made only when they are kept: formatting numbers for a log
    // nobody reads would be the stand-in's cost, not the plug-in's.
    template <class MakeEntry>
    void LogCall(MakeEntry &&entry) {
        if (registry_->keepCallLog) registry_->Log(entry());
    }
    template <class MakeEntry>
    void LogValue(MakeEntry &&entry) {
        if (registry_->logValueAccess && registry_->keepCallLog) registry_->Log(entry());
    }

private:
    RegistryPtr registry_;
    const char *kind_;
    uint64_t serial_;
    LONG refs_ = 0;
};

// IUnknown for an object answering the listed interfaces. Objects start with
// no reference: the creator takes the first one (ComPtr or CopyOut).
template <class... Interfaces>
class ComObject : public ShellObject, public IShellIdentity, public Interfaces... {
public:
    using ShellObject::ShellObject;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IShellIdentity)))
            *out = static_cast<IShellIdentity *>(this);
        else
            (void)((IsEqualIID(iid, __uuidof(Interfaces))
                        ? (*out = static_cast<Interfaces *>(this), true)
                        : false) || ...);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return IncrementRefs(); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = DecrementRefs();
        if (left == 0) delete this;
        return left;
    }
    ShellObject *STDMETHODCALLTYPE Object() override { return this; }
};

// The C++ object of class T behind any interface pointer, or null when the
// pointer is not one of ours or not a T. No reference is kept: the pointer is
// valid while the caller's interface pointer is.
template <class T>
T *Inspect(IUnknown *unknown) {
    if (!unknown) return nullptr;
    IShellIdentity *identity = nullptr;
    if (FAILED(unknown->QueryInterface(__uuidof(IShellIdentity), reinterpret_cast<void **>(&identity))) || !identity)
        return nullptr;
    ShellObject *object = identity->Object();
    identity->Release();
    return dynamic_cast<T *>(object);
}

// For out parameters: E_POINTER on null, otherwise clears the slot first.
template <class T>
inline bool ClearOut(T **out) {
    if (!out) return false;
    *out = nullptr;
    return true;
}

// Makes a new T and hands its first reference out as interface I.
template <class T, class I, class... Args>
HRESULT CreateInto(I **out, Args &&...args) {
    T *object = new T(std::forward<Args>(args)...);
    object->AddRef();
    *out = static_cast<I *>(object);
    return S_OK;
}

// Runs body and turns any C++ exception into a COM error: no exception may
// leave a COM method.
template <class F>
HRESULT Guarded(F &&body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace kxshell
