// Start-up on Timer2, shut-down by the plug-in, and a form destroyed alone.
#include "TestSupport.h"

#include "Karvex_TLB.h"

namespace {

const std::vector<std::wstring> kStartUp = {L"CreateClient", L"BindEvents", L"IconNum", L"FillTrips",
                                            L"FillGroups", L"ProcessSettings(0)", L"FillInfoPointCategories",
                                            L"MarkerPolygons"};
const std::vector<std::wstring> kShutDown = {L"FreeClient", L"ClearData", L"btnStopClick", L"ProcessSettings(1)"};

std::wstring ComboText(HWND combo, int index)
{
    LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (n == CB_ERR)
        return L"<none>";
    std::wstring s(n + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&s[0]));
    s.resize(n);
    return s;
}

class LifecycleTest : public PanelTest {};

TEST_F(LifecycleTest, StartsOnceFromTimer2InOrder)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ASSERT_NE(nullptr, form);
    EXPECT_TRUE(form->Timer2().Enabled());
    EXPECT_EQ(50u, form->Timer2().Interval());
    EXPECT_FALSE(form->Timer1().Enabled());
    EXPECT_EQ(1000u, form->Timer1().Interval());
    State().Settings.IconNum = 42;
    EXPECT_TRUE(steps.empty()) << "nothing starts before the message loop runs";

    ASSERT_TRUE(PumpUntilStarted(form));
    EXPECT_EQ(kStartUp, steps);
    EXPECT_FALSE(form->Timer2().Enabled());
    EXPECT_EQ(1, link->starts);
    EXPECT_EQ(1, link->binds);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(0, State().Settings.IconNum);
    ASSERT_NE(nullptr, DispatcherConnection().Client);
    EXPECT_EQ(2u, State().Player.MarkerPolygons.size());
    EXPECT_TRUE(State().Player.MarkerPolygons[0].empty());
    // The trips, then the categories of the default table.
    EXPECT_EQ(1 + static_cast<LRESULT>(State().Settings.InfoPointCategories.size()),
              SendMessageW(form->Controls().cmbInfoPoints, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Список рейсов", ComboText(form->Controls().cmbInfoPoints, 0));
    EXPECT_EQ(0, SendMessageW(form->Controls().cmbInfoPoints, CB_GETCURSEL, 0, 0));

    // A tick that was already queued does not start the panel again.
    SendMessageW(form->Handle(), WM_TIMER, form->Timer2().Id(), 0);
    EXPECT_EQ(kStartUp.size(), steps.size());
}

TEST_F(LifecycleTest, FailedConnectionShowsTheMessageOnceAndGoesOn)
{
    link->failStart = true;
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ASSERT_TRUE(PumpUntilStarted(form));
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"Ошибка запуска ПО Карвекс", messages[0].text);
    EXPECT_EQ(L"Ошибка", messages[0].caption);
    EXPECT_EQ(UINT(MB_OK), messages[0].flags);
    EXPECT_EQ(nullptr, messages[0].owner);
    // The client stays, its events are bound and the later steps all ran.
    EXPECT_NE(nullptr, DispatcherConnection().Client);
    EXPECT_EQ(1, link->binds);
    EXPECT_EQ(kStartUp, steps);
}

TEST_F(LifecycleTest, ClientThatCannotBeMadeIsReportedTheSameWay)
{
    PanelSeams().CreateDispatcherLink = []() -> std::unique_ptr<IDispatcherLink> {
        throw EPanelError(L"нет клиента");
    };
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    form->ActiveFormCreateOnTimer();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"Ошибка запуска ПО Карвекс", messages[0].text);
    EXPECT_EQ(nullptr, DispatcherConnection().Client);
    EXPECT_EQ(kStartUp, steps) << "no client to bind, the rest runs";
}

TEST_F(LifecycleTest, ErrorsWhileListingTripsAreSwallowed)
{
    auto record = PanelSeams().Step;
    PanelSeams().Step = [&](const std::wstring &step) {
        record(step);
        if (step == L"FillTrips")
            throw EPanelError(L"список рейсов недоступен");
    };
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ASSERT_TRUE(PumpUntilStarted(form));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(kStartUp, steps);
}

TEST_F(LifecycleTest, LaterErrorEndsStartUpAndIsShownWithItsText)
{
    auto record = PanelSeams().Step;
    PanelSeams().Step = [&](const std::wstring &step) {
        record(step);
        if (step == L"ProcessSettings(0)")
            throw EPanelError(L"Файл настроек повреждён");
    };
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ASSERT_TRUE(PumpUntilStarted(form));
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"Файл настроек повреждён", messages[0].text);
    EXPECT_EQ(std::wstring(kErrorBoxCaption), messages[0].caption);
    EXPECT_EQ(form->Handle(), messages[0].owner);
    std::vector<std::wstring> upTo(kStartUp.begin(), kStartUp.begin() + 6);
    EXPECT_EQ(upTo, steps);
    EXPECT_TRUE(State().Player.MarkerPolygons.empty());
    EXPECT_FALSE(form->Timer2().Enabled()) << "a failed start-up is not retried";
}

TEST_F(LifecycleTest, ClientEventsReachThePanelThroughTheHandlerBoundary)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    form->ActiveFormCreateOnTimer();
    ASSERT_TRUE(link->endComputing && link->closeServer && link->onlineData);
    // The handlers are empty yet; calling them must be safe.
    link->endComputing();
    link->closeServer();
    link->onlineData();
    EXPECT_TRUE(messages.empty());
}

TEST_F(LifecycleTest, ShutDownFreesClientClearsDataStopsAndSaves)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ASSERT_TRUE(PumpUntilStarted(form));
    TPanelState &data = State();
    data.Trip.Track = kx::Track::FromCrds({40000, 37.6, 55.7, 0, 0, 40000.001, 37.7, 55.8, 10, 20});
    data.Checkpoints.Circles = {{{{5, 6}}, L"КП"}};
    data.InfoPoints.Categories = {{{{{7, 8}}, L"ИТ"}}};
    steps.clear();

    form->ActiveFormDestroy();
    EXPECT_EQ(kShutDown, steps);
    EXPECT_TRUE(link->destroyed);
    EXPECT_EQ(nullptr, DispatcherConnection().Client);
    EXPECT_TRUE(data.Trip.TrackMapPoints().empty());
    EXPECT_TRUE(data.Checkpoints.Circles.empty());
    EXPECT_TRUE(data.InfoPoints.Categories.empty());
    EXPECT_TRUE(data.Player.MarkerPolygons.empty());
    EXPECT_TRUE(messages.empty());
}

// Panels made with one state (the plug-in's) write that state; a panel
// made on its own writes its own, and its shut-down empties nothing else.
TEST_F(LifecycleTest, PanelsShareTheStateTheyAreGivenAndAPanelOnItsOwnKeepsItsOwn)
{
    TKXActiveXForm *first = nullptr, *second = nullptr, *alone = nullptr;
    ComPtr<IUnknown> firstControl = MakeControl(&first);
    ComPtr<IUnknown> secondControl = MakeControl(&second);
    ComPtr<IUnknown> aloneControl;
    ASSERT_EQ(S_OK, CreatePanelControl(IID_IUnknown, reinterpret_cast<void **>(aloneControl.Put()), &alone));
    EXPECT_EQ(&State(), &first->State());
    EXPECT_EQ(&State(), &second->State());
    EXPECT_NE(&State(), &alone->State());

    State().Checkpoints.Circles = {{{{5, 6}}, L"КП"}};
    alone->ActiveFormDestroy();
    EXPECT_EQ(1u, State().Checkpoints.Circles.size()) << "a panel on its own emptied the plug-in's state";
    first->ActiveFormDestroy();
    EXPECT_TRUE(second->State().Checkpoints.Circles.empty());
}

TEST_F(LifecycleTest, ShutDownBeforeStartUpSkipsOnlyTheClient)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    form->ActiveFormDestroy();  // the shell terminated within the first 50 ms
    EXPECT_EQ(kShutDown, steps);
    EXPECT_EQ(0, link->starts);
    ASSERT_TRUE(PumpUntilStarted(form)) << "the timer still starts the panel";
    EXPECT_EQ(kShutDown.size() + kStartUp.size(), steps.size()) << "the timer still starts the panel once";
}

TEST_F(LifecycleTest, ShutDownNeverThrowsAndShowsAFailure)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    PanelSeams().Step = [](const std::wstring &step) {
        if (step == L"btnStopClick")
            throw EPanelError(L"стоп");
        if (step == L"ProcessSettings(1)")
            throw EPanelError(L"Нет доступа к KXSettings.xml");
    };
    form->ActiveFormDestroy();
    ASSERT_EQ(1u, messages.size()) << "stopping swallows its errors";
    EXPECT_EQ(L"Нет доступа к KXSettings.xml", messages[0].text);
}

TEST_F(LifecycleTest, DestroyingTheFormAloneRaisesOnDestroyAndNothingElse)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    ASSERT_TRUE(PumpUntilStarted(form));
    ASSERT_EQ(kStartUp.size(), steps.size());
    TEventSink sink;
    {
        ComPtr<IConnectionPointContainer> cpc = control.As<IConnectionPointContainer>();
        ComPtr<IConnectionPoint> cp;
        ASSERT_EQ(S_OK, cpc->FindConnectionPoint(__uuidof(IKXActiveXFormEvents), cp.Put()));
        DWORD cookie = 0;
        ASSERT_EQ(S_OK, cp->Advise(&sink, &cookie));
    }
    steps.clear();
    control.Reset();  // the last reference: the form goes

    EXPECT_EQ(1, sink.Count(205));
    EXPECT_EQ(0u, sink.refs) << "the sink is released";
    EXPECT_TRUE(steps.empty()) << "no shut-down step, no settings written";
    EXPECT_FALSE(link->destroyed);
    EXPECT_NE(nullptr, DispatcherConnection().Client);
    // The client stays, but no longer calls into the destroyed form.
    EXPECT_EQ(1, link->unbinds);
    EXPECT_FALSE(link->endComputing);
    EXPECT_EQ(0, g_moduleLocks);
}

TEST_F(LifecycleTest, SecondPanelReplacesTheModulesClient)
{
    TKXActiveXForm *first = nullptr, *second = nullptr;
    ComPtr<IUnknown> a = MakeControl(&first);
    first->ActiveFormCreateOnTimer();
    auto firstLog = link;
    link = std::make_shared<TFakeLinkLog>();
    ComPtr<IUnknown> b = MakeControl(&second);
    second->ActiveFormCreateOnTimer();
    EXPECT_TRUE(firstLog->destroyed);
    EXPECT_EQ(1, link->starts);
    a.Reset();
    EXPECT_FALSE(link->destroyed) << "the first form's end leaves the second's client alone";
    EXPECT_TRUE(link->endComputing);
}

}  // namespace

namespace {

TEST(KarvexLinkTest, CarriesTheClientAndBindsItsEvents)
{
    std::unique_ptr<IDispatcherLink> link = CreateKarvexLink();
    ASSERT_NE(nullptr, link->Automation());
    int ends = 0;
    link->BindEvents([&] { ++ends; }, {}, {});
    ASSERT_TRUE(link->Automation()->OnEndComputing);
    link->Automation()->OnEndComputing();
    EXPECT_EQ(1, ends);
    link->BindEvents({}, {}, {});
    EXPECT_FALSE(link->Automation()->OnEndComputing);
}

}  // namespace
