// Persistence: a new panel, and its state through a stream, a storage and a property bag.
#include "TestSupport.h"

#include <map>

namespace {

class PersistenceTest : public PanelTest {
protected:
    // Changes a few properties of every kind away from their defaults.
    static void Customise(IKXActiveXForm *ax)
    {
        BSTR caption = SysAllocString(L"Панель");
        ax->put_Caption(caption);
        SysFreeString(caption);
        ax->put_Color(RGB(1, 2, 3));
        ax->put_KeyPreview(VARIANT_TRUE);
        ax->put_AxBorderStyle(afbSunken);
        ax->put_SnapBuffer(3);
        FONTDESC fd{sizeof(fd), const_cast<LPOLESTR>(L"Tahoma"), {{100000, 0}}, FW_BOLD, DEFAULT_CHARSET, TRUE,
                    FALSE, FALSE};
        ComPtr<IFontDisp> font;
        OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void **>(font.Put()));
        ax->put_Font(font.Get());
    }
    static void ExpectCustomised(IKXActiveXForm *ax)
    {
        BSTR caption = nullptr;
        ax->get_Caption(&caption);
        EXPECT_STREQ(L"Панель", caption);
        SysFreeString(caption);
        OLE_COLOR color = 0;
        ax->get_Color(&color);
        EXPECT_EQ(RGB(1, 2, 3), color);
        VARIANT_BOOL preview = 0;
        ax->get_KeyPreview(&preview);
        EXPECT_EQ(VARIANT_TRUE, preview);
        TxActiveFormBorderStyle border = afbNone;
        ax->get_AxBorderStyle(&border);
        EXPECT_EQ(afbSunken, border);
        LONG snap = 0;
        ax->get_SnapBuffer(&snap);
        EXPECT_EQ(3, snap);
        ComPtr<IFontDisp> fontDisp;
        ax->get_Font(fontDisp.Put());
        ComPtr<IFont> font = fontDisp.As<IFont>();
        BSTR name = nullptr;
        CY size{};
        BOOL italic = FALSE, bold = FALSE;
        font->get_Name(&name);
        font->get_Size(&size);
        font->get_Italic(&italic);
        font->get_Bold(&bold);
        EXPECT_STREQ(L"Tahoma", name);
        EXPECT_NEAR(100000, size.int64, 2500);
        EXPECT_TRUE(italic);
        EXPECT_TRUE(bold);
        SysFreeString(name);
    }
};

TEST_F(PersistenceTest, InitNewGivesTheDefaultsAndACleanState)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ComPtr<IPersistStreamInit> persist = control.As<IPersistStreamInit>();
    Customise(control.As<IKXActiveXForm>().Get());
    EXPECT_EQ(S_OK, persist->IsDirty());
    ASSERT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(L"KXActiveXForm", TKXActiveXForm::Text(form->Handle()));
    EXPECT_FALSE(form->Props.KeyPreview);
    EXPECT_EQ(afbNone, form->Props.AxBorderStyle);
    CLSID clsid{};
    persist->GetClassID(&clsid);
    EXPECT_EQ(__uuidof(KXActiveXForm), clsid);
}

TEST_F(PersistenceTest, StreamRoundTrip)
{
    ComPtr<IUnknown> first = MakeControl(nullptr);
    ComPtr<IPersistStreamInit> out = first.As<IPersistStreamInit>();
    out->InitNew();
    Customise(first.As<IKXActiveXForm>().Get());
    SIZEL extent{5000, 9000};
    first.As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &extent);

    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    ASSERT_EQ(S_OK, out->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, out->IsDirty());
    ULARGE_INTEGER max{}, size{};
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_CUR, &size);
    out->GetSizeMax(&max);
    EXPECT_GE(max.QuadPart, size.QuadPart);

    ComPtr<IUnknown> second = MakeControl(nullptr);
    ComPtr<IPersistStreamInit> in = second.As<IPersistStreamInit>();
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(S_OK, in->Load(stream.Get()));
    ExpectCustomised(second.As<IKXActiveXForm>().Get());
    SIZEL loaded{};
    second.As<IOleObject>()->GetExtent(DVASPECT_CONTENT, &loaded);
    EXPECT_EQ(5000, loaded.cx);
    EXPECT_EQ(9000, loaded.cy);
    EXPECT_EQ(S_FALSE, in->IsDirty());
}

TEST_F(PersistenceTest, ForeignOrTruncatedStreamIsRefusedAndChangesNothing)
{
    ComPtr<IUnknown> control = MakeControl(nullptr);
    ComPtr<IPersistStreamInit> persist = control.As<IPersistStreamInit>();
    Customise(control.As<IKXActiveXForm>().Get());

    ComPtr<IStream> junk;
    CreateStreamOnHGlobal(nullptr, TRUE, junk.Put());
    const char text[] = "not a panel";
    junk->Write(text, sizeof(text), nullptr);
    LARGE_INTEGER zero{};
    junk->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_TRUE(FAILED(persist->Load(junk.Get())));

    ComPtr<IStream> good;
    CreateStreamOnHGlobal(nullptr, TRUE, good.Put());
    persist->Save(good.Get(), FALSE);
    ULARGE_INTEGER size{};
    good->Seek(zero, STREAM_SEEK_CUR, &size);
    ULARGE_INTEGER half{};
    half.QuadPart = size.QuadPart / 2;
    good->SetSize(half);
    good->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_TRUE(FAILED(persist->Load(good.Get())));
    ExpectCustomised(control.As<IKXActiveXForm>().Get());
    EXPECT_EQ(E_POINTER, persist->Load(nullptr));
}

TEST_F(PersistenceTest, StorageRoundTrip)
{
    ComPtr<IStorage> storage;
    ASSERT_EQ(S_OK, StgCreateDocfile(nullptr,
                                     STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
                                     storage.Put()));
    ComPtr<IUnknown> first = MakeControl(nullptr);
    ComPtr<IPersistStorage> out = first.As<IPersistStorage>();
    ASSERT_EQ(S_OK, out->InitNew(storage.Get()));
    Customise(first.As<IKXActiveXForm>().Get());
    ASSERT_EQ(S_OK, out->Save(storage.Get(), TRUE));
    EXPECT_EQ(S_OK, out->SaveCompleted(nullptr));
    EXPECT_EQ(S_OK, out->HandsOffStorage());

    ComPtr<IUnknown> second = MakeControl(nullptr);
    ASSERT_EQ(S_OK, second.As<IPersistStorage>()->Load(storage.Get()));
    ExpectCustomised(second.As<IKXActiveXForm>().Get());
}

// A property bag over a map, as an HTML host or a designer keeps it.
class TBag : public IPropertyBag {
public:
    ~TBag()
    {
        for (auto &e : values)
            VariantClear(&e.second);
    }
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IPropertyBag)
            return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT *value, IErrorLog *) override
    {
        auto it = values.find(name);
        if (it == values.end())
            return E_INVALIDARG;
        return VariantCopy(value, &it->second);
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT *value) override
    {
        VARIANT &slot = values[name];
        VariantClear(&slot);
        return VariantCopy(&slot, value);
    }
    void Text(const wchar_t *name, const wchar_t *text)
    {
        VARIANT v;
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(text);
        Write(name, &v);
        VariantClear(&v);
    }
    std::map<std::wstring, VARIANT> values;
};

TEST_F(PersistenceTest, PropertyBagRoundTripAndTextValues)
{
    ComPtr<IUnknown> first = MakeControl(nullptr);
    Customise(first.As<IKXActiveXForm>().Get());
    TBag bag;
    ASSERT_EQ(S_OK, first.As<IPersistPropertyBag>()->Save(&bag, TRUE, TRUE));
    EXPECT_EQ(VT_BSTR, bag.values[L"Caption"].vt);
    EXPECT_EQ(VT_I4, bag.values[L"_ExtentX"].vt);

    ComPtr<IUnknown> second = MakeControl(nullptr);
    ASSERT_EQ(S_OK, second.As<IPersistPropertyBag>()->Load(&bag, nullptr));
    ExpectCustomised(second.As<IKXActiveXForm>().Get());

    // A page's <param> values arrive as text; absent names keep their defaults.
    TBag page;
    page.Text(L"Caption", L"Со страницы");
    page.Text(L"KeyPreview", L"-1");
    page.Text(L"SnapBuffer", L"12");
    ComPtr<IUnknown> third = MakeControl(nullptr);
    ASSERT_EQ(S_OK, third.As<IPersistPropertyBag>()->Load(&page, nullptr));
    ComPtr<IKXActiveXForm> ax = third.As<IKXActiveXForm>();
    BSTR caption = nullptr;
    ax->get_Caption(&caption);
    EXPECT_STREQ(L"Со страницы", caption);
    SysFreeString(caption);
    VARIANT_BOOL preview = 0;
    ax->get_KeyPreview(&preview);
    EXPECT_EQ(VARIANT_TRUE, preview);
    LONG snap = 0, ppi = 0;
    ax->get_SnapBuffer(&snap);
    ax->get_PixelsPerInch(&ppi);
    EXPECT_EQ(12, snap);
    EXPECT_EQ(96, ppi);

    TBag bad;
    bad.Text(L"SnapBuffer", L"many");
    EXPECT_TRUE(FAILED(third.As<IPersistPropertyBag>()->Load(&bad, nullptr)));
}

}  // namespace
