// IPersistStorage: the stream state kept in a "Contents" stream.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TPersistStoragePart)

namespace {
const wchar_t kContents[] = L"Contents";
}

STDMETHODIMP TPersistStoragePart::GetClassID(CLSID *clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = __uuidof(KXActiveXForm);
    return S_OK;
}

STDMETHODIMP TPersistStoragePart::IsDirty()
{
    return c_.Dirty() ? S_OK : S_FALSE;
}

STDMETHODIMP TPersistStoragePart::InitNew(IStorage *storage)
{
    if (!storage)
        return E_POINTER;
    return ComGuard(IID_IPersistStorage, [&] {
        c_.InitNew();
        c_.Storage = storage;
        return S_OK;
    });
}

STDMETHODIMP TPersistStoragePart::Load(IStorage *storage)
{
    if (!storage)
        return E_POINTER;
    return ComGuard(IID_IPersistStorage, [&] {
        ComPtr<IStream> stream;
        HRESULT hr = storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
        if (FAILED(hr))
            return hr;
        c_.LoadStream(stream.Get());
        c_.Storage = storage;
        return S_OK;
    });
}

STDMETHODIMP TPersistStoragePart::Save(IStorage *storage, BOOL)
{
    if (!storage)
        return E_POINTER;
    return ComGuard(IID_IPersistStorage, [&] {
        ComPtr<IStream> stream;
        HRESULT hr = storage->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                           stream.Put());
        if (FAILED(hr))
            return hr;
        c_.SaveStream(stream.Get());
        return S_OK;
    });
}

STDMETHODIMP TPersistStoragePart::SaveCompleted(IStorage *storage)
{
    if (storage)
        c_.Storage = storage;
    c_.SetDirty(false);
    return S_OK;
}

STDMETHODIMP TPersistStoragePart::HandsOffStorage()
{
    c_.Storage.Reset();
    return S_OK;
}
