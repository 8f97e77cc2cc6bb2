// Shared helpers of the panel tests: seams that capture instead of showing,
// a link with no dispatcher behind it (the panel's start-up, event binding
// and release only; tests that need a dispatcher use the stand-in's, see
// SelectionTestSupport.h), message pumping and a recording event sink.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ActiveFormControl.h"
#include "ComPtr.h"
#include "KXActiveXForm.h"
#include "DispatcherConnection.h"
#include "PanelState.h"
#include "PanelControl.h"
#include "Seams.h"

extern LONG g_moduleLocks;  // ModuleStandIn.cpp

struct TShownMessage {
    HWND owner;
    std::wstring text, caption;
    UINT flags;
};

// What the fake client saw; outlives the client so tests can look after it is freed.
struct TFakeLinkLog {
    int starts = 0;
    int binds = 0;
    int unbinds = 0;
    bool destroyed = false;
    bool failStart = false;
    std::function<void()> endComputing, closeServer, onlineData;
};

class TFakeLink : public IDispatcherLink {
public:
    explicit TFakeLink(std::shared_ptr<TFakeLinkLog> log) : log_(std::move(log)) {}
    ~TFakeLink() override { log_->destroyed = true; }
    void Start() override
    {
        ++log_->starts;
        if (log_->failStart)
            throw EPanelError(L"сервер недоступен");
    }
    void BindEvents(std::function<void()> a, std::function<void()> b, std::function<void()> c) override
    {
        (a ? log_->binds : log_->unbinds)++;
        log_->endComputing = std::move(a);
        log_->closeServer = std::move(b);
        log_->onlineData = std::move(c);
    }
    TKarvexAutomation *Automation() override { return nullptr; }
    bool Up() override { return true; }

private:
    std::shared_ptr<TFakeLinkLog> log_;
};

// Replaces every seam for one test and restores the platform's afterwards.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetPanelSeams();
        PanelSeams().Message = [this](HWND owner, const std::wstring &text, const std::wstring &caption, UINT flags) {
            messages.push_back({owner, text, caption, flags});
            return IDOK;
        };
        PanelSeams().Modal = [this](const std::wstring &name, const std::function<INT_PTR()> &) {
            modals.push_back(name);
            return modalAnswer;
        };
        PanelSeams().Now = [] { return 40000.5; };
        PanelSeams().CreateDispatcherLink = [this] { return std::unique_ptr<IDispatcherLink>(new TFakeLink(link)); };
        PanelSeams().Step = [this](const std::wstring &step) { steps.push_back(step); };
        PanelSeams().SettingsPath = [] { return std::wstring(); };  // the settings tests give their own
        // No save dialog ever opens: the file is not chosen (the report's tests choose one).
        PanelSeams().SaveFile = [this](HWND, const std::wstring &title, const std::wstring &, const std::wstring &,
                                       int &) {
            modals.push_back(title);
            return std::wstring();
        };
    }
    void TearDown() override
    {
        // The module-wide client outlives forms by design; tests start clean.
        DispatcherConnection() = TDispatcherConnection();
        ResetPanelSeams();
    }

    // Runs the thread's message loop until `done` holds (checked after each
    // message) or the time is up; whether it held.
    template <class F>
    static bool PumpUntil(F &&done, DWORD timeoutMs = 10000)
    {
        const DWORD end = GetTickCount() + timeoutMs;
        while (!done()) {
            if (static_cast<LONG>(GetTickCount() - end) >= 0)
                return false;
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } else {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            }
        }
        return true;
    }
    // The start-up has run once Timer2 has switched itself off.
    static bool PumpUntilStarted(TKXActiveXForm *form)
    {
        return PumpUntil([form] { return !form->Timer2().Enabled(); });
    }

    // A control with its form over the test's state; released by the ComPtr.
    ComPtr<IUnknown> MakeControl(TKXActiveXForm **form)
    {
        ComPtr<IUnknown> unk;
        HRESULT hr = CreatePanelControl(IID_IUnknown, reinterpret_cast<void **>(unk.Put()), form, true, state);
        EXPECT_EQ(S_OK, hr);
        return unk;
    }

    std::vector<TShownMessage> messages;
    std::vector<std::wstring> modals;
    std::vector<std::wstring> steps;
    INT_PTR modalAnswer = 0;
    std::shared_ptr<TFakeLinkLog> link = std::make_shared<TFakeLinkLog>();
    // The panel state, as the plug-in hands it to its layer and its panels.
    std::shared_ptr<TPanelState> state = std::make_shared<TPanelState>();
    TPanelState &State() const { return *state; }
};

// An IKXActiveXFormEvents sink recording the dispatch ids it is called with.
class TEventSink : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != __uuidof(IKXActiveXFormEvents))
            return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT *n) override
    {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        calls.push_back(id);
        if (id == 207 && params && params->cArgs == 1 && params->rgvarg[0].vt == (VT_I2 | VT_BYREF)) {
            keys.push_back(*params->rgvarg[0].piVal);
            if (replaceKeyWith >= 0)
                *params->rgvarg[0].piVal = static_cast<SHORT>(replaceKeyWith);
        }
        return S_OK;
    }
    int Count(DISPID id) const
    {
        int n = 0;
        for (DISPID d : calls)
            n += d == id;
        return n;
    }

    ULONG refs = 0;  // lives on the stack: counts only
    std::vector<DISPID> calls;
    std::vector<SHORT> keys;
    int replaceKeyWith = -1;
};
