// The form's ten events on a connected IKXActiveXFormEvents sink.
#include "TestSupport.h"

namespace {

class EventsTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        control = MakeControl(&form);
        ComPtr<IConnectionPointContainer> cpc = control.As<IConnectionPointContainer>();
        ASSERT_EQ(S_OK, cpc->FindConnectionPoint(__uuidof(IKXActiveXFormEvents), point.Put()));
        ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    }
    void TearDown() override
    {
        if (cookie)
            point->Unadvise(cookie);
        point.Reset();
        control.Reset();
        EXPECT_EQ(0u, sink.refs);
        PanelTest::TearDown();
    }

    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control;
    ComPtr<IConnectionPoint> point;
    TEventSink sink;
    DWORD cookie = 0;
};

TEST_F(EventsTest, MouseAndPaintEventsReachTheSink)
{
    HWND w = form->Handle();
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 100));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 100));
    SendMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 100));
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 100));
    VARIANT_BOOL inside = VARIANT_FALSE;
    control.As<IKXActiveXForm>()->get_MouseInClient(&inside);
    EXPECT_EQ(VARIANT_TRUE, inside);
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(6, 100));  // still inside: no second enter
    SendMessageW(w, WM_MOUSELEAVE, 0, 0);
    SendMessageW(w, WM_PAINT, 0, 0);
    EXPECT_EQ((std::vector<DISPID>{202, 204, 208, 209, 210}), sink.calls);
}

TEST_F(EventsTest, KeyPressPassesTheKeyByReference)
{
    SendMessageW(form->Handle(), WM_CHAR, L'a', 0);
    ASSERT_EQ(1u, sink.keys.size());
    EXPECT_EQ(L'a', sink.keys[0]);

    // With KeyPreview the form sees keys typed into its controls first, and
    // the key the sink returns is the one the control gets.
    form->Props.KeyPreview = true;
    SetWindowTextW(form->Controls().txtCont, L"");
    sink.replaceKeyWith = L'7';
    SendMessageW(form->Controls().txtCont, WM_CHAR, L'a', 0);
    EXPECT_EQ(L"7", TKXActiveXForm::Text(form->Controls().txtCont));
    sink.replaceKeyWith = 0;  // a zero key is eaten
    SendMessageW(form->Controls().txtCont, WM_CHAR, L'b', 0);
    EXPECT_EQ(L"7", TKXActiveXForm::Text(form->Controls().txtCont));
    EXPECT_EQ(3, sink.Count(207));

    form->Props.KeyPreview = false;
    sink.replaceKeyWith = -1;
    SendMessageW(form->Controls().txtCont, WM_CHAR, L'9', 0);
    EXPECT_EQ(3, sink.Count(207)) << "without KeyPreview the control's keys stay its own";
    EXPECT_EQ(L"79", TKXActiveXForm::Text(form->Controls().txtCont));
}

TEST_F(EventsTest, FrozenEventsAreNotRaised)
{
    ComPtr<IOleControl> ole = control.As<IOleControl>();
    EXPECT_EQ(S_OK, ole->FreezeEvents(TRUE));
    SendMessageW(form->Handle(), WM_PAINT, 0, 0);
    EXPECT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_TRUE(sink.calls.empty());
    SendMessageW(form->Handle(), WM_PAINT, 0, 0);
    EXPECT_EQ(1, sink.Count(210));
}

TEST_F(EventsTest, OneEventSinkAtATime)
{
    TEventSink other;
    DWORD second = 0;
    EXPECT_EQ(CONNECT_E_ADVISELIMIT, point->Advise(&other, &second));
    EXPECT_EQ(0u, second);
    EXPECT_EQ(0u, other.refs);
    IID iid{};
    point->GetConnectionInterface(&iid);
    EXPECT_EQ(__uuidof(IKXActiveXFormEvents), iid);

    // After the sink leaves, events go nowhere and another may connect.
    ASSERT_EQ(S_OK, point->Unadvise(cookie));
    cookie = 0;
    SendMessageW(form->Handle(), WM_PAINT, 0, 0);
    EXPECT_TRUE(sink.calls.empty());
    ASSERT_EQ(S_OK, point->Advise(&other, &second));
    SendMessageW(form->Handle(), WM_PAINT, 0, 0);
    EXPECT_EQ(1, other.Count(210));
    point->Unadvise(second);
    EXPECT_EQ(0u, other.refs);
}

TEST_F(EventsTest, ContainerListsBothPointsAndRefusesStrangers)
{
    ComPtr<IConnectionPointContainer> cpc = control.As<IConnectionPointContainer>();
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, cpc->EnumConnectionPoints(points.Put()));
    IConnectionPoint *got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, points->Next(3, got, &fetched));
    ASSERT_EQ(2u, fetched);
    IID a{}, b{};
    got[0]->GetConnectionInterface(&a);
    got[1]->GetConnectionInterface(&b);
    EXPECT_EQ(__uuidof(IKXActiveXFormEvents), a);
    EXPECT_EQ(IID_IPropertyNotifySink, b);
    got[0]->Release();
    got[1]->Release();

    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, cpc->FindConnectionPoint(IID_IDispatch, none.Put()));
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(S_OK, point->GetConnectionPointContainer(back.Put()));
    EXPECT_EQ(cpc.Get(), back.Get());

    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(S_OK, point->EnumConnections(connections.Put()));
    CONNECTDATA data{};
    ASSERT_EQ(S_OK, connections->Next(1, &data, nullptr));
    EXPECT_EQ(cookie, data.dwCookie);
    data.pUnk->Release();

    // A sink without the events interface cannot connect to the property point either way round.
    ComPtr<IConnectionPoint> props;
    cpc->FindConnectionPoint(IID_IPropertyNotifySink, props.Put());
    TEventSink notAPropertySink;
    DWORD c = 0;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, props->Advise(&notAPropertySink, &c));
    EXPECT_EQ(0u, notAPropertySink.refs);
}

}  // namespace
