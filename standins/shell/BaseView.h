// The base view the shell hands a plug-in at Initialize: the way to the
// object factory and the frame.
#pragma once

#include "ComPtr.h"
#include "Frame.h"
#include "ObjectFactory.h"
#include "ShellObject.h"

namespace kxshell {

class BaseView : public ComObject<IBaseViewThread> {
public:
    BaseView(RegistryPtr registry, ObjectFactory *factory, kxshell::Frame *frame);

    ObjectFactory &FactoryObject() const { return *factory_.Get(); }
    kxshell::Frame &FrameObject() const { return *frame_.Get(); }

    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Factory(IGrymObjectFactory **factory) override;
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Frame(IBaseViewFrame **frame) override;

private:
    ComPtr<ObjectFactory> factory_;
    ComPtr<kxshell::Frame> frame_;
};

}  // namespace kxshell
