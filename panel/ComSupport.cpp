#include "ComSupport.h"

void SetErrorText(const std::wstring &text, REFGUID iid)
{
    ICreateErrorInfo *create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || !create)
        return;
    BSTR description = SysAllocString(text.c_str());
    BSTR source = SysAllocString(L"KXActiveXForm");
    create->SetDescription(description);
    create->SetSource(source);
    create->SetGUID(iid);
    SysFreeString(description);
    SysFreeString(source);
    IErrorInfo *info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&info))) && info) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}
