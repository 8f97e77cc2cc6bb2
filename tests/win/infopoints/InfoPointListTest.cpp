// The category combo and the entries list: what each category lists against
// what the dispatcher serves, the minimum duration box and its up-down, a
// click on an entry, and hostile data from the dispatcher.
#include "InfoPointsTestSupport.h"

using namespace iptest;

namespace {

TEST_F(InfoPointsTest, CategoriesOfferedRowsAndTripsFirst)
{
    StartWith(L"");
    const auto &table = State().Settings.InfoPointCategories;
    ASSERT_EQ(1 + table.size(), static_cast<size_t>(selection::ComboCount(form->Controls().cmbInfoPoints)));
    EXPECT_EQ(L"Список рейсов", Item(form->Controls().cmbInfoPoints, 0));
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints));

    // A row hidden from the list is left out; the others keep their row number.
    State().Settings.InfoPointCategories[2].VisibleList = false;
    form->FillInfoPointCategories();
    ASSERT_EQ(static_cast<int>(table.size()), selection::ComboCount(form->Controls().cmbInfoPoints));
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints));
    EXPECT_EQ(L"Список остановок", Item(form->Controls().cmbInfoPoints, 2));
    EXPECT_EQ(2, SendMessageW(form->Controls().cmbInfoPoints, CB_GETITEMDATA, 2, 0));
    EXPECT_EQ(L"Периоды пропадания питания", Item(form->Controls().cmbInfoPoints, 3));
    EXPECT_EQ(4, SendMessageW(form->Controls().cmbInfoPoints, CB_GETITEMDATA, 3, 0));
    EXPECT_EQ(L"Прод-ть", selection::ListColumnCaption(form->Controls().ListView1, 3));
    EXPECT_GE(Rows(), 1);
}

TEST_F(InfoPointsTest, EveryCategoryListsTheDispatchersEntriesFiltered)
{
    // Four entries at least in every category, of half a minute each.
    StartWith(L"/busy-lists:4");
    const int trip = BusiestTrip();
    ASSERT_GE(trip, 1);
    ChooseTrip(trip);
    ASSERT_EQ(trip, State().Trip.CurrentTrip);
    const wchar_t *minima[] = {L"0", L"60", L"9999"};
    int listedAtAll = 0;
    for (const wchar_t *minimum : minima) {
        SetMinimum(minimum);
        for (int row = 1; row <= kx::kDefaultCategoryCount; ++row) {
            const std::string query = State().Settings.InfoPointCategories[static_cast<size_t>(row) - 1].query;
            ChooseCategory(row);
            ASSERT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
            const std::vector<RefEntry> all = Entries(trip, query);
            SCOPED_TRACE(query + " from " + kx::ToUtf8(minimum) + " s");
            EXPECT_EQ(kx::ToWide(kx::FourthColumnCaption(query)), selection::ListColumnCaption(form->Controls().ListView1, 3));
            int listed = 0;
            for (const RefEntry &e : all) {
                if (e.Seconds() < _wtoi(minimum))
                    continue;
                ASSERT_LT(listed, Rows());
                EXPECT_EQ(std::to_wstring(listed + 1), Cell(listed, 0));
                EXPECT_EQ(e.begin, Cell(listed, 1));
                EXPECT_EQ(e.end, Cell(listed, 2));
                const kx::EntryValue value = kx::EntryValueFor(query);
                const std::wstring expected =
                    value == kx::EntryValue::Speed   ? Shown(kx::FormatGeneral(e.speed))
                    : value == kx::EntryValue::Tank1 ? Shown(kx::FormatGeneral(e.tank1End - e.tank1Begin))
                    : value == kx::EntryValue::Tank2 ? Shown(kx::FormatGeneral(e.tank2End - e.tank2Begin))
                                                     : e.duration;
                EXPECT_EQ(expected, Cell(listed, 3));
                ++listed;
            }
            EXPECT_EQ(listed, Rows());
            listedAtAll += listed;
        }
    }
    EXPECT_GE(listedAtAll, 4 * kx::kDefaultCategoryCount);
    // Back to the trips: the chosen one stays chosen.
    Choose(form->Controls().cmbInfoPoints, 0);
    EXPECT_EQ(L"Прод-ть", selection::ListColumnCaption(form->Controls().ListView1, 3));
    EXPECT_EQ(trip - 1, selection::ListSelectedRow(form->Controls().ListView1));
}

TEST_F(InfoPointsTest, MinimumDurationBoxKeysEmptyingAndUpDown)
{
    StartWith(L"");
    SetMinimum(L"0");
    ChooseCategory(2);
    const int all = Rows();

    TypeChar(L'x');
    EXPECT_EQ(L"0", TKXActiveXForm::Text(form->Controls().txtCont));
    // Emptied, the box shows a selected "0"; a digit typed then is the number.
    SetMinimum(L"6");
    SendMessageW(form->Controls().txtCont, EM_SETSEL, 1, 1);
    TypeChar(L'\b');
    EXPECT_EQ(L"0", TKXActiveXForm::Text(form->Controls().txtCont));
    EXPECT_EQ(all, Rows());
    TypeChar(L'5');
    EXPECT_EQ(L"5", TKXActiveXForm::Text(form->Controls().txtCont));

    // The up-down steps the text, and the list follows.
    SetMinimum(L"9998");
    SendMessageW(form->Controls().UpDown2, UDM_SETPOS32, 0, 9998);
    SendMessageW(form->Controls().txtCont, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(form->Controls().txtCont, WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(L"9999", TKXActiveXForm::Text(form->Controls().txtCont));
    SendMessageW(form->Controls().txtCont, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(form->Controls().txtCont, WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(L"9999", TKXActiveXForm::Text(form->Controls().txtCont));
    int longOnes = 0;
    for (const RefEntry &e : Entries(State().Trip.CurrentTrip, "parks"))
        longOnes += e.Seconds() >= 9999;
    EXPECT_EQ(longOnes, Rows());
    EXPECT_TRUE(messages.empty());
}

TEST_F(InfoPointsTest, ClickingAnEntryMovesTheSliderToItsStart)
{
    StartWith(L"");
    const int trip = BusiestTrip();
    ChooseTrip(trip);
    SetMinimum(L"0");
    ChooseCategory(2);
    ASSERT_GE(Rows(), 1);
    const int row = Rows() - 1;
    const std::vector<RefEntry> stops = Entries(trip, "parks");
    ClickRow(row);
    ASSERT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
    const double begin = selection::ParseServerDateTime(stops[static_cast<size_t>(row)].begin);
    EXPECT_EQ(kx::RoundHalfEven((begin - State().Trip.Track.startTime()) * 86400), SliderPos());
}

// Each fault gives one message, and the panel works again once it is gone.
TEST_F(InfoPointsTest, HostileEntriesGiveOneMessageAndThePanelRecovers)
{
    StartWith(L"/busy-lists:3");
    const struct {
        const wchar_t *kind;
        int row;
        const wchar_t *says;
    } faults[] = {
        {L"bad-dates", 2, L"неверную продолжительность"},
        {L"empty-texts", 3, L"неверную продолжительность"},
        {L"huge-texts", 2, L"символов"},
        {L"nan", 5, L"не является числом"},
        {L"negative-counts", 2, L"= -3"},
        {L"huge-counts", 6, L"= 2147483647"},
    };
    SetMinimum(L"0");
    for (const auto &fault : faults) {
        SCOPED_TRACE(kx::ToUtf8(fault.kind));
        messages.clear();
        Malformed(fault.kind);
        ChooseCategory(fault.row);
        ASSERT_EQ(1u, messages.size());
        EXPECT_NE(std::wstring::npos, messages[0].text.find(fault.says)) << kx::ToUtf8(messages[0].text);
        Malformed(L"none");
        Choose(form->Controls().cmbInfoPoints, 0);
        ChooseCategory(2);
        EXPECT_EQ(1u, messages.size());
    }
    EXPECT_GE(Rows(), 0);
}

// The dispatcher dying inside a list: the action that finds it gone starts
// it again as the start-up does (it is registered), and once the vehicle's
// trips are back the category asked for is listed. No message on the way.
TEST_F(InfoPointsTest, DispatcherDyingInTheMiddleOfAListIsStartedAgainForTheList)
{
    StartWith(L"/busy-lists:3");
    SetMinimum(L"0");
    ExitDuringCall(6);
    ChooseCategory(2);
    EXPECT_TRUE(own->Exited(8000));
    ASSERT_TRUE(PumpUntil([&] { return !EventsWaiting() && !State().Selection.ComputeRequested; }, 20000));
    EXPECT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
    ASSERT_NE(nullptr, DispatcherConnection().Client);
    EXPECT_TRUE(DispatcherConnection().Client->Up());
    EXPECT_EQ(2, Sel(form->Controls().cmbInfoPoints));
    // The program COM started leaves with its last client.
    DispatcherConnection().EventsOwner = nullptr;
    DispatcherConnection().Client.reset();
    EXPECT_TRUE(PumpUntil([] { return !Running(); }, 10000));
}

TEST_F(InfoPointsTest, TripsItemStandsBeforeAnyStartUp)
{
    control = MakeControl(&form);
    ASSERT_NE(nullptr, form);
    ASSERT_EQ(1, selection::ComboCount(form->Controls().cmbInfoPoints));
    EXPECT_EQ(L"Список рейсов", Item(form->Controls().cmbInfoPoints, 0));
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints));

    // No dispatcher program: the start-up stops early, the item stays.
    PanelSeams().CreateDispatcherLink = [] { return std::unique_ptr<IDispatcherLink>(); };
    AttachPanel(form, shell.MapInterface(), shell.FactoryInterface(), layer);
    RunHandler(nullptr, [&] { form->Timer2Timer(); });
    EXPECT_FALSE(messages.empty());
    EXPECT_EQ(L"Список рейсов", Item(form->Controls().cmbInfoPoints, 0));
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints));
}

}  // namespace
