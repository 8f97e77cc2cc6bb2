// The BSTR owner and the COM boundary guard. BSTRs are counted through a
// spy on the task allocator, which also makes one allocation fail on demand;
// the test runs with the BSTR cache off (OANOCACHE), so that every string
// made or freed reaches the allocator.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <stdexcept>
#include <string>

#include "Bstr.h"
#include "ComGuard.h"
#include "ComPtr.h"

namespace {

class TAllocatorSpy final : public IMallocSpy {
public:
    TAllocatorSpy() : registered_(CoRegisterMallocSpy(this)) {}
    ~TAllocatorSpy() { CoRevokeMallocSpy(); }

    HRESULT Registered() const { return registered_; }

    LONG Outstanding() const { return outstanding_; }
    void FailNextAllocation() { failNext_ = true; }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (iid != IID_IUnknown && iid != IID_IMallocSpy)
            return *out = nullptr, E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override
    {
        if (failNext_) {
            failNext_ = false;
            return 0;  // the allocation fails
        }
        return size;
    }
    STDMETHODIMP_(void *) PostAlloc(void *block) override
    {
        if (block)
            ++outstanding_;
        return block;
    }
    STDMETHODIMP_(void *) PreFree(void *block, BOOL) override
    {
        if (block)
            --outstanding_;
        return block;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void *block, SIZE_T size, void **newBlock, BOOL) override
    {
        *newBlock = block;
        return size;
    }
    STDMETHODIMP_(void *) PostRealloc(void *block, BOOL) override { return block; }
    STDMETHODIMP_(void *) PreGetSize(void *block, BOOL) override { return block; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T size, BOOL) override { return size; }
    STDMETHODIMP_(void *) PreDidAlloc(void *block, BOOL) override { return block; }
    STDMETHODIMP_(int) PostDidAlloc(void *, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

private:
    HRESULT registered_;
    LONG outstanding_ = 0;
    bool failNext_ = false;
};

class BstrTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GetEnvironmentVariableW(L"OANOCACHE", nullptr, 0))
            << "with the BSTR cache on, freed strings never reach the allocator";
        ASSERT_EQ(S_OK, spy.Registered());
    }
    TAllocatorSpy spy;
};

TEST_F(BstrTest, KeepsTheWholeText)
{
    const std::wstring texts[] = {L"", L"Карвекс Плеер", std::wstring(L"до\0после", 9), std::wstring(100000, L'ж')};
    for (const std::wstring &text : texts) {
        Bstr b(text);
        ASSERT_NE(nullptr, b.Get()) << "servers want a real string, even an empty one";
        EXPECT_EQ(text.size(), SysStringLen(b.Get()));
        EXPECT_EQ(text, b.Str());
    }
    EXPECT_EQ(L"", Bstr().Str());
    EXPECT_EQ(0, spy.Outstanding());
}

TEST_F(BstrTest, FreesWhatItOwnsAndNothingItHandedOn)
{
    {
        Bstr held;
        ASSERT_EQ(S_OK, CopyOut(L"первый", held.Put()));
        ASSERT_EQ(S_OK, CopyOut(L"второй", held.Put()));  // an out parameter filled twice
        EXPECT_EQ(L"второй", held.Str());
        EXPECT_EQ(1, spy.Outstanding());

        Bstr other(L"другой");
        held = std::move(other);
        EXPECT_EQ(L"другой", held.Str());
        Bstr moved(std::move(held));
        EXPECT_EQ(L"другой", moved.Str());
        EXPECT_EQ(nullptr, held.Get());

        Bstr adopted = Bstr::Adopt(SysAllocString(L"чужой"));
        EXPECT_EQ(L"чужой", adopted.Str());
    }
    EXPECT_EQ(0, spy.Outstanding());

    BSTR handedOn = Bstr(L"наружу").Detach();
    EXPECT_EQ(1, spy.Outstanding()) << "the caller frees it now";
    SysFreeString(handedOn);
    EXPECT_EQ(0, spy.Outstanding());
}

TEST_F(BstrTest, OutParameterRuleAndNoMemory)
{
    EXPECT_EQ(E_POINTER, CopyOut(L"текст", nullptr));

    BSTR out = reinterpret_cast<BSTR>(1);
    spy.FailNextAllocation();
    EXPECT_EQ(E_OUTOFMEMORY, CopyOut(L"текст", &out));
    EXPECT_EQ(nullptr, out) << "a failed copy leaves no stale pointer behind";

    spy.FailNextAllocation();
    EXPECT_THROW(Bstr(L"текст"), std::bad_alloc);
    // Inside a COM method the same failure is the method's E_OUTOFMEMORY.
    spy.FailNextAllocation();
    EXPECT_EQ(E_OUTOFMEMORY, ComGuard(IID_NULL, [] { return Bstr(L"текст").Get() ? S_OK : E_FAIL; }));
    EXPECT_EQ(0, spy.Outstanding());
}

// What a caller of a guarded method gets back: the result and the error info.
struct TGuarded {
    HRESULT hr;
    std::wstring text;  // empty: no error info left
};

template <class F>
TGuarded CallGuarded(F &&body)
{
    SetErrorInfo(0, nullptr);
    TGuarded out{ComGuard(IID_IDispatch, body), {}};
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) {
        Bstr text;
        info->GetDescription(text.Put());
        out.text = text.Str();
        GUID iid{};
        info->GetGUID(&iid);
        EXPECT_TRUE(IsEqualGUID(IID_IDispatch, iid)) << "the info names the interface called";
    }
    return out;
}

TEST(ComGuardTest, EveryExceptionBecomesAResult)
{
    EXPECT_EQ(S_FALSE, CallGuarded([] { return S_FALSE; }).hr) << "a body's own result passes unchanged";

    TGuarded panel = CallGuarded([]() -> HRESULT { throw EPanelError(L"Недопустимое значение", E_INVALIDARG); });
    EXPECT_EQ(E_INVALIDARG, panel.hr);
    EXPECT_EQ(L"Недопустимое значение", panel.text);

    TGuarded library = CallGuarded([]() -> HRESULT { throw std::runtime_error("Файл не найден"); });
    EXPECT_EQ(E_FAIL, library.hr);
    EXPECT_EQ(L"Файл не найден", library.text) << "a UTF-8 message is read as UTF-8";

    TGuarded unknown = CallGuarded([]() -> HRESULT { throw 42; });
    EXPECT_EQ(E_FAIL, unknown.hr);
    EXPECT_EQ(L"Неизвестная ошибка", unknown.text);

    TGuarded memory = CallGuarded([]() -> HRESULT { throw std::bad_alloc(); });
    EXPECT_EQ(E_OUTOFMEMORY, memory.hr);
    EXPECT_EQ(L"", memory.text);
}

}  // namespace
