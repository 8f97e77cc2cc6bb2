// Helpers at the COM boundary: exceptions become HRESULTs with error info,
// and interface parts delegate their IUnknown.
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
