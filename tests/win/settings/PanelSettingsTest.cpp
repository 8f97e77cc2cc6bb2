// The settings through the panel: what start-up restores from the file
// (group, vehicle and the trips they stand for, period, toggles, speed,
// duration, categories and their menu marks), what shut-down writes back,
// and how failures reach the user.
#include "SelectionTestSupport.h"
#include "SettingsTestSupport.h"

#include "SettingsFile.h"

#include "kx/datetime.h"
#include "kx/settings.h"

using namespace seltest;
using namespace settest;

namespace {

class PanelSettings : public SelectionTest {
protected:
    void SetUp() override
    {
        SelectionTest::SetUp();
        PanelSeams().SettingsPath = [this] { return path; };
    }

    // Eight groups of one vehicle each, after the two of the selection tests.
    void EightGroups()
    {
        for (int g = 3; g <= 8; ++g) {
            const std::string n = std::to_string(g);
            fleet.AddVehicle(Car(("Авто " + n).c_str(), ("N" + n).c_str(), 100 + g, 37.6, 55.7, Feb(6)), "G" + n,
                             "Группа " + n);
        }
    }
    void ShutDown() { form->ActiveFormDestroy(); }
    std::wstring SpeedText() const { return TKXActiveXForm::Text(form->Controls().cmbSpeed); }
    std::wstring ContText() const { return TKXActiveXForm::Text(form->Controls().txtCont); }
    bool Down(UINT button) const { return form->ToolButtonDown(button); }
    double Picker(HWND picker) const { return selection::PickerValue(picker); }
    TSettingsRead ReadBack() const { return TSettingsFile(path).Read(); }

    TempFolder folder;
    std::wstring path = folder.File(L"KXSettings.xml");
};

TEST_F(PanelSettings, FirstStartCreatesTheDefaultsAndShowsThem)
{
    EightGroups();
    Start();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(kx::DefaultSettingsDocument(), ReadBytes(path));

    EXPECT_FALSE(Down(TMapTool::Checkpoints));
    EXPECT_FALSE(Down(TMapTool::InfoPoints));
    EXPECT_TRUE(Down(TMapTool::SkipStops));
    EXPECT_FALSE(State().Settings.LoadKT);
    EXPECT_EQ(L"60x", SpeedText());
    EXPECT_EQ(60, State().Player.Clock.speed);
    EXPECT_EQ(L"60", ContText());
    EXPECT_EQ(0, State().Settings.IconNum);
    EXPECT_EQ(13, State().Settings.InfoPointCategoryCount());
    EXPECT_EQ(kx::DefaultInfoPointCategories(), State().Settings.InfoPointCategories);

    // The eighth group's overview, then its first vehicle's trips.
    EXPECT_EQ(7, Sel(form->Controls().cmbGroupName));
    EXPECT_EQ(L"Авто 8", Item(form->Controls().cmbCarName, Sel(form->Controls().cmbCarName)));
    const std::vector<ComputeRequest> requests = ComputeRequests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(L"G8", requests[0].group);
    EXPECT_EQ(0, requests[0].device);
    EXPECT_EQ(108, requests[1].device);
    EXPECT_TRUE(kx::SameWholeSecond(kx::EncodeDate(2007, 2, 6), Picker(form->Controls().DateBegin)));
    EXPECT_TRUE(kx::SameWholeSecond(kx::EncodeDate(2009, 6, 6), kx::CombineDateTime(Picker(form->Controls().DateEnd), Picker(form->Controls().TimeEnd))));
}

TEST_F(PanelSettings, SavedVehicleAndPeriodComeBackAndTheirTripsAreAskedFor)
{
    std::string doc = DefaultWith("GroupID", "0");
    doc = Replaced(doc, "<CarID>0<", "<CarID>2<");
    doc = Replaced(doc, "06.02.2007 00:00:00", "05.02.2009 07:15:30");
    doc = Replaced(doc, "06.06.2009 00:00:00", "06.02.2009 22:45:00");
    WriteBytes(path, doc);
    Start();
    ASSERT_TRUE(messages.empty()) << messages[0].text;

    EXPECT_EQ(0, Sel(form->Controls().cmbGroupName));
    for (HWND combo : {form->Controls().cmbCarName, form->Controls().cmbCarNum, form->Controls().cmbCarDevice})
        EXPECT_EQ(2, Sel(combo)) << "name, number and device lists aligned";
    EXPECT_EQ(L"ЗИЛ", Item(form->Controls().cmbCarName, Sel(form->Controls().cmbCarName)));
    // The group change's overview first, then the one request for the vehicle.
    ASSERT_EQ(2u, ComputeRequests().size());
    const ComputeRequest r = ComputeRequests()[1];
    EXPECT_EQ(L"G1", r.group);
    EXPECT_EQ(15, r.device);
    EXPECT_EQ(L"05.02.2009 07:15:30", r.begin);
    EXPECT_EQ(L"06.02.2009 22:45:00", r.end);
    EXPECT_TRUE(State().Selection.ComputeRequested) << "until the dispatcher's answer";
}

// The group's computation ends while the restore is still filling (as on a
// busy machine): its end waits, and when it runs the restore's own request
// is under way, so it is not taken for a computation the dispatcher's
// operator started: the saved choice stays and its trips are listed.
TEST_F(PanelSettings, AnEndOvertakenByTheRestoresRequestLeavesTheChoice)
{
    std::string doc = DefaultWith("GroupID", "1");
    doc = Replaced(doc, "06.02.2007 00:00:00", "06.02.2009 00:00:00");
    doc = Replaced(doc, "06.06.2009 00:00:00", "07.02.2009 00:00:00");
    WriteBytes(path, doc);
    // Ordered as soon as the panel has its dispatcher, before the restore.
    const auto link = PanelSeams().CreateDispatcherLink;
    PanelSeams().CreateDispatcherLink = [&] {
        auto made = link();
        Control()->FireDuringCall(Bstr(L"ComputeTrips").Get(), 2, 205);
        return made;
    };
    Start();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_EQ(2u, ComputeRequests().size());
    EndOfComputation();

    EXPECT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(0, CallsOf(L"ServerGroupKey")) << "taken for the operator's computation";
    EXPECT_EQ(1, Sel(form->Controls().cmbGroupName));
    EXPECT_EQ(0, Sel(form->Controls().cmbCarDevice));
    EXPECT_FALSE(State().Selection.ComputeRequested);
    EXPECT_LT(0, ListView_GetItemCount(form->Controls().ListView1)) << "the restored vehicle's trips";
}

TEST_F(PanelSettings, RestoreFailuresAreQuietAndTheRestStillArrives)
{
    const struct {
        const char *what;
        std::string doc;
        int group, car, requests;
    } cases[] = {
        {"group past the list", Replaced(DefaultWith("GroupID", "2"), "<Speed>60x<", "<Speed>30x<"), -1, -1, 0},
        {"group not a number: the first stays", Replaced(DefaultWith("GroupID", "first"), "<Speed>60x<", "<Speed>30x<"), 0, -1, 0},
        {"vehicle past the list", Replaced(Replaced(DefaultWith("GroupID", "0"), "<CarID>0<", "<CarID>9<"), "<Speed>60x<", "<Speed>30x<"), 0, -1, 1},
        {"bad end date", Replaced(Replaced(DefaultWith("GroupID", "1"), "06.06.2009 00:00:00", "32.13.2009 00:00:00"), "<Speed>60x<", "<Speed>30x<"), 1, 0, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ForgetCalls();
        State() = TPanelState();
        WriteBytes(path, c.doc);
        Start();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(c.group, Sel(form->Controls().cmbGroupName));
        EXPECT_EQ(c.car, Sel(form->Controls().cmbCarDevice));
        EXPECT_EQ(static_cast<size_t>(c.requests), ComputeRequests().size());
        EXPECT_EQ(L"30x", SpeedText()) << "reading goes on after the block";
        EXPECT_EQ(13, State().Settings.InfoPointCategoryCount());
        control.Reset();
        DispatcherConnection().Client.reset();
    }
}

TEST_F(PanelSettings, SpeedTextBecomesThePlayersSpeed)
{
    const struct {
        const char *stored;
        int speed;
        const wchar_t *shown;
    } cases[] = {{"25X", 25, L"25x"}, {"x600", 600, L"600x"}, {"0x", 1, L"1x"}, {"-5", 1, L"1x"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        State() = TPanelState();
        WriteBytes(path, DefaultWith("Speed", c.stored));
        Start();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(c.speed, State().Player.Clock.speed);
        EXPECT_EQ(c.shown, SpeedText());
        control.Reset();
        DispatcherConnection().Client.reset();
    }
}

TEST_F(PanelSettings, ABadValueIsOneMessageAndLaterValuesKeepTheirOldState)
{
    std::string doc = DefaultWith("Speed", "fast");
    doc = Replaced(doc, "<LoadIT>false<", "<LoadIT>true<");
    doc = Replaced(doc, "<IconNum>0<", "<IconNum>12<");
    doc = Replaced(doc, "<Stops>true<", "<Stops>false<");
    doc = Replaced(doc, "<LoadKT>false<", "<LoadKT>true<");
    WriteBytes(path, doc);
    Start();
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::wstring::npos, messages[0].text.find(L"Speed")) << messages[0].text;
    EXPECT_EQ(L"", messages[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), messages[0].flags);
    // Before the speed: applied.
    EXPECT_TRUE(Down(TMapTool::InfoPoints));
    EXPECT_EQ(12, State().Settings.IconNum);
    EXPECT_TRUE(State().Settings.LoadKT);
    // From the speed on: as the layout left them.
    EXPECT_TRUE(Down(TMapTool::SkipStops));
    EXPECT_TRUE(Down(TMapTool::Checkpoints));
    EXPECT_EQ(L"6", ContText());
    EXPECT_EQ(kx::DefaultInfoPointCategories(), State().Settings.InfoPointCategories) << "the table the panel starts with";
    EXPECT_EQ(doc, ReadBytes(path));

    // Shut-down writes what the panel holds but keeps the file's categories,
    // so the next start has all thirteen again.
    ShutDown();
    EXPECT_EQ(1u, messages.size());
    const TSettingsRead next = ReadBack();
    ASSERT_EQ(TSettingsStep::Done, next.stoppedAt) << next.error;
    EXPECT_EQ(kx::DefaultInfoPointCategories(), next.values.categories);
    EXPECT_FALSE(Exists(path + L".bak"));
}

TEST_F(PanelSettings, CategoriesSetTheMenuMarksAndImages)
{
    std::string doc = kx::DefaultSettingsDocument();
    doc = Replaced(doc, "VisibleIcon=\"true\" query=\"blinds\"", "VisibleIcon=\"false\" query=\"blinds\"");
    doc = Replaced(doc, "VisibleIcon=\"true\" query=\"sensor_on-num6\"", "VisibleIcon=\"0\" query=\"sensor_on-num6\"");
    WriteBytes(path, doc);
    Start();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    const struct {
        const wchar_t *item;
        bool checked;
        int image;
    } expected[] = {{L"mnu2", true, 0}, {L"mnu3", false, 13}, {L"mnu4", true, 2}, {L"mnu13", false, 23}};
    for (const auto &e : expected) {
        const TMenuItem *item = form->FindMenuItem(e.item);
        ASSERT_NE(nullptr, item) << e.item;
        EXPECT_EQ(e.checked, item->Checked) << e.item;
        EXPECT_EQ(e.image, item->ImageIndex) << e.item;
        const UINT state = GetMenuState(form->Controls().PopupMenu1, item->Command, MF_BYCOMMAND);
        EXPECT_EQ(e.checked, (state & MF_CHECKED) != 0) << e.item;
    }
    EXPECT_FALSE(State().Settings.InfoPointCategories[2].VisibleIcon);
}

TEST_F(PanelSettings, ShutDownWritesWhatThePanelShowsEvenAfterTheFileWasDeleted)
{
    Start();
    Choose(form->Controls().cmbGroupName, 1);
    Choose(form->Controls().cmbCarDevice, 0);
    SetPicker(form->Controls().DateBegin, 2009, 2, 4, 6, 30);
    SetPicker(form->Controls().TimeBegin, 2009, 2, 4, 6, 30);
    SetWindowTextW(form->Controls().cmbSpeed, L"300x");
    SetWindowTextW(form->Controls().txtCont, L"90");
    SendMessageW(form->Controls().ToolBar1, TB_CHECKBUTTON, TMapTool::SkipStops, FALSE);
    State().Settings.InfoPointCategories[0].VisibleList = false;
    State().Settings.IconNum = 7;
    DeleteFileW(path.c_str());
    ShutDown();
    ASSERT_TRUE(messages.empty()) << messages[0].text;

    const TSettingsRead r = ReadBack();
    ASSERT_EQ(TSettingsStep::Done, r.stoppedAt) << r.error;
    EXPECT_EQ(1, r.restore.groupId.value_or(-9));
    EXPECT_EQ(0, r.restore.carId.value_or(-9));
    EXPECT_EQ("04.02.2009 06:30:00", kx::FormatFixedDateTime(r.restore.begin.value_or(0)));
    EXPECT_EQ("300x", r.values.speed);
    EXPECT_EQ("90", r.values.cont);
    EXPECT_FALSE(r.values.stops);
    EXPECT_EQ(7, r.values.iconNum);
    ASSERT_EQ(13u, r.values.categories.size());
    EXPECT_FALSE(r.values.categories[0].VisibleList);
    // Built from the minimal document: its namespace, no backup.
    EXPECT_NE(std::string::npos, ReadBytes(path).find(kx::kSettingsNamespace));
    EXPECT_FALSE(Exists(path + L".bak"));
}

TEST_F(PanelSettings, APanelThatNeverStartedLeavesTheFileAlone)
{
    const std::string doc = DefaultWith("IconNum", "55");
    WriteBytes(path, doc);
    control = MakeControl(&form);
    AttachPanel(form, shell.MapInterface(), shell.FactoryInterface(), layer);
    ShutDown();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(doc, ReadBytes(path));
}

TEST_F(PanelSettings, AFileThatIsNotXmlIsReportedAtStartAndEndAndKeptAsItIs)
{
    const std::string broken = kx::DefaultSettingsDocument().substr(0, 300);
    WriteBytes(path, broken);
    Start();
    ShutDown();
    ASSERT_EQ(2u, messages.size());
    for (const TShownMessage &m : messages) {
        EXPECT_NE(std::wstring::npos, m.text.find(L"KXSettings.xml")) << m.text;
        EXPECT_EQ(L"", m.caption);
    }
    EXPECT_EQ(kx::DefaultInfoPointCategories(), State().Settings.InfoPointCategories) << "the table the panel starts with";
    EXPECT_EQ(broken, ReadBytes(path));
}

TEST_F(PanelSettings, ThePlatformsPathIsPluginsBesideTheProgram)
{
    ResetPanelSeams();
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder = exe;
    folder.resize(folder.find_last_of(L'\\'));
    EXPECT_EQ(folder + L"\\Plugins\\KXSettings.xml", SettingsPath());
}

}  // namespace
