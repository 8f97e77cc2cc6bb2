// The panel over the stand-in shell and its layer, against the stand-in
// dispatcher in its own process through the production client, with a
// second client of the test's own that reads the same data for comparison
// and works the dispatcher's fault switches.
#pragma once

#include "../selection/SelectionTestSupport.h"

#include "DispatcherProcess.h"
#include "KXDispatcherControl.h"
#include "ShapeWalker.h"

#include "kx/infopoints.h"
#include "kx/text.h"

#include <algorithm>
#include <cmath>

namespace iptest {

using namespace dispatcher_process;

// One entry as the dispatcher serves it.
struct RefEntry {
    std::wstring begin, end, duration;
    double longitude = 0, latitude = 0, speed = 0, tank1Begin = 0, tank1End = 0, tank2Begin = 0, tank2End = 0;
    long long Seconds() const { return kx::ParseDurationSeconds(kx::ToUtf8(duration)); }
};

// A number text of the core's general form with the user's decimal separator.
inline std::wstring Shown(const std::string &number)
{
    wchar_t separator[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    std::wstring text = kx::ToWide(number);
    std::replace(text.begin(), text.end(), L'.', separator[0]);
    return text;
}

struct RefCheckpoint {
    std::wstring name, address;
    double longitude = 0, latitude = 0;
    int radius = 0;
};

class InfoPointsTest : public seltest::SelectionTest {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0, RunAndWait(L"/RegServer")); }
    void SetUp() override
    {
        SelectionTest::SetUp();
        ASSERT_TRUE(PumpUntil([] { return !Running(); }, 10000)) << "a dispatcher is still running";
        PanelSeams().CreateDispatcherLink = [] { return CreateKarvexLink(); };
    }
    void TearDown() override
    {
        if (control_)
            control_->Release();
        reference.reset();
        SelectionTest::TearDown();
    }

    // A dispatcher of the test's own with these options, the panel started
    // against it (its own computation lists the first trips), and the
    // test's client attached.
    void StartWith(const std::wstring &args)
    {
        own = std::make_unique<OwnDispatcher>(args, 30);
        ASSERT_TRUE(own->ready());
        Start();
        ASSERT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
        ASSERT_GE(Rows(), 1) << "the dispatcher's own computation listed no trips";
        reference = std::make_unique<TKarvexAutomation>();
        reference->Start();
        reference->DefaultInterface()->QueryInterface(IID_IKXDispatcherControl, reinterpret_cast<void **>(&control_));
        ASSERT_NE(nullptr, control_);
    }

    void Malformed(const wchar_t *kind)
    {
        ASSERT_EQ(S_OK, control_->SetMalformed(Bstr(kind).Get()));
    }
    void ExitDuringCall(long n) { ASSERT_EQ(S_OK, control_->ExitDuringCall(n)); }
    // Dispatcher calls served so far, from every client.
    long CallCount()
    {
        LONG n = 0;
        control_->get_CallCount(&n);
        return n;
    }

    // The entries of a category of a trip, read by the test's client.
    std::vector<RefEntry> Entries(int trip, const std::string &query)
    {
        TKarvexAutomation &k = *reference;
        k.TripIndex(trip);
        selection::SelectEntriesList(k, kx::ToWide(query));
        std::vector<RefEntry> out(static_cast<size_t>(k.TripEntriesCount()));
        for (size_t j = 0; j < out.size(); ++j) {
            k.TripEntryIndex(static_cast<int>(j) + 1);
            RefEntry &e = out[j];
            e.begin = k.TripEntryBegin();
            e.end = k.TripEntryEnd();
            e.duration = k.TripEntryDuration();
            e.longitude = k.TripEntryLongitude();
            e.latitude = k.TripEntryLatitude();
            e.speed = k.TripEntrySpeed();
            e.tank1Begin = k.TripEntryTank1Begin();
            e.tank1End = k.TripEntryTank1End();
            e.tank2Begin = k.TripEntryTank2Begin();
            e.tank2End = k.TripEntryTank2End();
        }
        return out;
    }
    std::vector<RefCheckpoint> Checkpoints()
    {
        TKarvexAutomation &k = *reference;
        k.LoadCheckpoints(k.CheckpointsKey());
        std::vector<RefCheckpoint> out(static_cast<size_t>(k.CheckpointsCount()));
        for (size_t i = 0; i < out.size(); ++i) {
            k.CheckpointIndex(static_cast<int>(i) + 1);
            out[i] = {k.CheckpointName(), k.CheckpointAddress(), k.CheckpointLongitude(), k.CheckpointLatitude(),
                      k.CheckpointRadius()};
        }
        return out;
    }
    // The first trip of the listed ones with an entry in every category,
    // or the one with the most entries; 0 when no trips are listed.
    int BusiestTrip()
    {
        int best = 0;
        size_t most = 0;
        for (int t = 1; t <= reference->TripsCount(); ++t) {
            size_t total = 0;
            for (const char *q : {"parks", "over_speed", "tank-num1"})
                total += Entries(t, q).size();
            if (total > most) {
                most = total;
                best = t;
            }
        }
        return best;
    }

    // ---- the user's actions
    void ChooseCategory(int row)
    {
        for (int i = 0; i < selection::ComboCount(form->Controls().cmbInfoPoints); ++i)
            if (SendMessageW(form->Controls().cmbInfoPoints, CB_GETITEMDATA, i, 0) == row) {
                Choose(form->Controls().cmbInfoPoints, i);
                return;
            }
        ADD_FAILURE() << "no item for category " << row;
    }
    void ClickToolButton(UINT button)
    {
        // A check button toggles itself before it tells its owner.
        form->SetToolButtonDown(button, !form->ToolButtonDown(button));
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Controls().ToolBar1));
    }
    void ClickMenu(const wchar_t *name)
    {
        TMenuItem *item = form->FindMenuItem(name);
        ASSERT_NE(nullptr, item);
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(item->Command, 0), 0);
    }
    void TypeChar(wchar_t key) { SendMessageW(form->Controls().txtCont, WM_CHAR, key, 0); }
    void SetMinimum(const wchar_t *text) { SetWindowTextW(form->Controls().txtCont, text); }
    void ChooseTrip(int trip) { ClickRow(trip - 1); }

    // ---- what the map shows
    kxshell::WalkResult Walk()
    {
        kxshell::ShapeWalker walker(shell.SharedRegistry());
        return walker.Walk(static_cast<IShapeSource *>(layer), MapObject().BoundsValues());
    }
    TShapeCollection &Shapes() { return layer->Shapes(); }

    std::unique_ptr<OwnDispatcher> own;
    std::unique_ptr<TKarvexAutomation> reference;

private:
    IKXDispatcherControl *control_ = nullptr;
};

}  // namespace iptest
