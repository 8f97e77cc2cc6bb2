// The docked panel form: its window, its components, its properties, the
// start-up and shut-down sequences, and the handlers of its controls, which
// delegate to the group boxes (panel/boxes). The control object owns one
// form and exposes it to containers; the form asks it for what it needs
// through TFormOwner.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "ComPtr.h"
#include "FormControls.h"
#include "FormProperties.h"
#include "FormTimer.h"
#include "GrymCore.h"
#include "KXProject.h"
#include "MenuItem.h"
#include "Seams.h"
#include "ToolBarButtons.h"
#include "kx/dispatcher_events.h"
#include "kx/scaling.h"

class TFormReport;
class TInfoPointListBox;
class TKarvexAutomation;
class TLayer;
class TMapToolBar;
class TPlayerBox;
class TSelectionBox;
struct TPanelState;
struct TSavedSelection;

enum class TUpDownDirection { None, Up, Down };

// The form's own events; the control object binds them to its event sink.
struct TFormEvents {
    std::function<void()> OnActivate, OnClick, OnCreate, OnDblClick, OnDestroy, OnDeactivate,
        OnMouseEnter, OnMouseLeave, OnPaint;
    std::function<void(wchar_t &key)> OnKeyPress;
};

class TKXActiveXForm;

// What the form asks of its owner, the control object, which implements it;
// the form knows nothing else of the control.
class TFormOwner {
public:
    // A query that reaches the form is answered by its owner's identity.
    virtual HRESULT QueryOwner(REFIID iid, void **out) = 0;
    virtual void FocusEntered() = 0;
    virtual void FocusLeft() = 0;
    virtual void FormSizeChanged() = 0;

protected:
    ~TFormOwner() = default;
};

// Posted to the form when a dispatcher event or a user's action has been
// queued for after the work in hand.
constexpr UINT WM_KX_WAITING_WORK = WM_APP + 0x4B;

// The hidden window that holds a form that is not in place active.
HWND PanelParkingWindow();

class TKXActiveXForm {
public:
    static constexpr int DesignWidth = 230;
    static constexpr int DesignHeight = 690;

    // `state` is the panel state the form's boxes write; the plug-in hands
    // over its own, shared with its layer.
    TKXActiveXForm(TFormOwner &owner, std::shared_ptr<TPanelState> state);
    ~TKXActiveXForm();
    TKXActiveXForm(const TKXActiveXForm &) = delete;
    TKXActiveXForm &operator=(const TKXActiveXForm &) = delete;

    // The plug-in's hand-over: counted copies of the map and the factory are
    // kept; the four boxes are attached to them and to the layer.
    void Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer);
    // Shut-down, run by the plug-in's Terminate. Never throws.
    void ActiveFormDestroy();
    // A query that reaches the form is answered by its owner.
    HRESULT QueryInterface(REFIID iid, void **out);

    HWND Handle() const { return hwnd_; }
    TFormEvents Events;
    TPanelState &State() const { return *state_; }

    // Start-up (Timer2) and its steps.
    void Timer2Timer();
    void ActiveFormCreateOnTimer();
    void FillTrips();
    void FillGroups();
    void ProcessSettings(int mode);
    void FillInfoPointCategories();

    // Vehicle and period selection.
    void RequestTrips();
    void ShowLastPoints();
    void SyncSelectionFromServer();
    // The saved selection of the settings file, and the trips it stands for.
    void RestoreSelection(const TSavedSelection &saved);

    // Trips and track loading.
    void ListComputedTrips();
    void LoadTrack(int trip);
    void SelectEntriesList(const std::wstring &query);

    // Checkpoints and info points on the map.
    void ShowCheckpoints();
    void ShowInfoPoints();

    // Events of the dispatcher client. The client's sink only queues them
    // (QueueDispatcherEvent); they run from the window procedure once no
    // handler of the panel is running (RunWaitingWork).
    void OnEndComputing();
    void OnCloseKarvex();
    void OnReceiveOnlineData();

    // The way back to a dispatcher program that went away (ended, crashed,
    // closed) or was not there at start-up: never on its own, only on the
    // user's next action that needs it (Reconnection.cpp).
    enum class TLinkUse {
        None,      // the action does not ask the dispatcher
        Reselect,  // the action changes the group, vehicle or period itself
        Ask,       // anything else that asks it (a trip, a category, the map objects)
    };
    // No link, one lost, or one that never connected.
    bool LinkDown() const;
    // The client of the link in hand, if it has one.
    static const TKarvexAutomation *LinkClient();
    // True while dispatcher events or user's actions wait for the panel to be free.
    // True for as long as the form lives: held by whoever must not call a
    // destroyed form (the plug-in's current panel).
    std::shared_ptr<const bool> AliveToken() const { return alive_; }
    bool DispatcherEventsWaiting() const { return !dispatcherEvents_.Empty() || !waitingActions_.empty(); }

    // Handlers of the controls.
    void cmbGroupNameChange();
    void cmbChange(HWND sender);
    void DateTimeChange(HWND sender);
    void cmbInfoPointsChange();
    void TripsListBoxClick();
    void txtContChange();
    void txtContKeyPress(wchar_t &key);
    void SpeedTrackBarChange();
    void cmbSpeedKeyPress(wchar_t &key);
    void UpDown1ChangingEx(bool &allowChange, int newValue, TUpDownDirection direction);
    void btnPlayClick();
    void btnStopClick();
    void TrackBarChange();
    void ToolButton4Click();
    void ToolButton1Click();
    void ToolButton2Click();
    void SpeedButton1Click();
    void btnSettingsClick();
    // The trip's report window: made on the first press, shown, and kept
    // with the form; it follows the loaded trip and the player while shown.
    void btnReportClick();
    void RefreshReport() noexcept;
    void FollowPlayer() noexcept;
    // Remembers the report window's place and lets it go (shut-down).
    void CloseReport() noexcept;
    TFormReport *Report() const { return report_.get(); }
    void mnuClick(TMenuItem &item);
    void Timer1Timer();

    // The shell asked for the title of the track line under the mouse at
    // this map point: the player jumps to the nearest place on the track.
    void LocateOnTrack(double x, double y);

    // Helpers over the components.
    bool ToolButtonDown(UINT button) const;
    void SetToolButtonDown(UINT button, bool down);
    std::wstring ToolButtonHint(UINT button) const;
    int ToolButtonImage(UINT button) const;
    // Programmatic slider moves: clamped into the range; TrackBarChange runs
    // only when the position actually changes, as for a user's move.
    void SetTrackBarPosition(int position);
    // A range set by the program: the position the control clamps into it
    // raises no change event.
    void SetTrackBarRange(int minimum, int maximum);
    // Stops the player as its stop button does, whatever the trips list
    // shows (track loading, the group overview, shut-down); never throws.
    void StopPlayer();
    // Shows PopupMenu1 at a screen point (through the modal seam) and runs
    // mnuClick for the chosen item.
    void PopupMenu1Popup(POINT screen);
    TMenuItem *FindMenuItem(const std::wstring &name);
    std::vector<TMenuItem> &MenuItems() { return menuItems_; }
    void SetMenuItemChecked(TMenuItem &item, bool checked);
    void SetMenuItemImage(TMenuItem &item, int imageIndex);
    static std::wstring Text(HWND control);
    // Dispatches a key typed into `target` (or the form) through KeyPreview,
    // OnKeyPress and the control's key filter; false when the key is eaten.
    bool FilterKey(HWND target, wchar_t &key);

    // The child controls, image lists and menu, made by the layout; the
    // boxes are handed the ones they work on, and nothing outside the form
    // changes them.
    const TFormControls &Controls() const { return c_; }
    // Timer1 ticks the player, Timer2 runs the start-up once, StopHoldTimer
    // is the player's one-second hold at a skipped stop; the player box is
    // handed the two it starts and stops.
    const TFormTimer &Timer1() const { return timer1_; }
    const TFormTimer &Timer2() const { return timer2_; }
    const TFormTimer &StopHoldTimer() const { return stopHoldTimer_; }

    // The player's box, over the controls above; created and freed with the
    // form, as the other three boxes are.
    std::unique_ptr<TPlayerBox> Player;

    // Properties of IKXActiveXForm.
    TFormProperties Props;
    bool Visible() const;
    void SetVisible(bool visible);
    void SetAutoScroll(bool on);
    void SetAutoSize(bool on);
    void SetAxBorderStyle(long style);
    std::wstring Caption() const;
    void SetCaption(const std::wstring &caption);
    void SetColor(OLE_COLOR color);
    IFont *Font() const { return font_.Get(); }
    void SetFont(IFont *font);  // copies the font's attributes
    void SetPixelsPerInch(long ppi);
    void SetScaled(bool scaled);
    // Design pixels to the window's, from its pixels per inch, PixelsPerInch and Scaled.
    const kx::TDisplayScale &Scale() const { return scale_; }
    // The design size of the form at the present scale.
    SIZE ScaledSize() const { return {scale_(DesignWidth), scale_(DesignHeight)}; }
    void SetPrintScale(long scale);
    void SetPopupMode(long mode);
    void SetSnapBuffer(long pixels);
    void SetDropTarget(bool on);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool MouseInClient() const { return mouseInClient_; }
    RECT ExplicitBounds() const;  // in the parent's coordinates

    TPropertyList SaveProperties() const;
    void LoadProperty(const std::wstring &name, const TPropertyValue &value);
    void ResetProperties();

    // Renders the form with its controls into `dc`, scaled to `bounds`.
    void PaintTo(HDC dc, const RECT &bounds);
    void SetBounds(const RECT &bounds);
    // Moves the keyboard focus to the next (or previous) tab stop; returns
    // false when it would wrap around past the last (or first) one.
    bool TabToNext(bool backwards);

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    friend LRESULT CALLBACK ChildSubclassProc(HWND, UINT, WPARAM, LPARAM);

    void CreateComponents();
    // The four group boxes over the components, each handed the state part
    // it writes and the actions that reach the others (FormHandlers.cpp).
    void MakeBoxes();
    void CreateMenu();
    // The pictures at the scale's size, handed to the tool bar; the menu draws from them.
    void LoadImageLists();
    void ApplyFont();
    void MakeFonts();
    // Takes the scale from the window's pixels per inch and the properties;
    // when it changed, lays every component out anew from its design numbers.
    void ApplyScale();
    void LayOut();
    void UpdateBrush();
    void UpdateScrollBars();
    void Scroll(int bar, int code);
    void MoveChildren(int dx, int dy);
    void AnchorControls();
    void Subclass(HWND child);
    void ChildFocusChanged(bool gained, HWND other);
    LRESULT HandleCommand(WORD id, WORD code, HWND sender);
    LRESULT HandleNotify(NMHDR *hdr);
    void HandleDrawItem(DRAWITEMSTRUCT *di);
    void DrawBanner(HDC dc, const RECT &rc);
    void PrintControl(HWND control, HDC target, HDC screen);
    void DrawSymbolButton(HWND button, HDC dc, RECT rc, UINT state);
    void KeyPress(wchar_t &key);
    void HandleTimer(UINT_PTR id);
    void BindClientEvents();
    void UnbindClientEvents();
    // Runs then once the dispatcher is there: at once while the link holds;
    // else after connecting anew, choosing again what the panel shows and,
    // for an action that asks, after the trips asked for again have come.
    // Throws, with then not run, when the program is still not there.
    void WithDispatcher(TLinkUse use, std::function<void()> then);
    // A link whose program has gone is let go once the work in hand and the
    // events waiting behind it have run: its events unbound, the client
    // freed once.
    void LetGoOfLostLink();
    // Records an event of the client bound as `link` and wakes the window for it.
    void QueueDispatcherEvent(kx::DispatcherEvent event, std::uint32_t link);
    // Unless a handler of the panel is running (its end comes back here):
    // the user's actions that waited, then the dispatcher events queued so
    // far, each in order. Events of a client let go since are dropped. What
    // arrives meanwhile has its own wake-up, so the window's message loop
    // gets its turn between them.
    void RunWaitingWork();

    // Marks the panel's own work (a handler, the start-up, the shut-down):
    // dispatcher events wait until the outermost one ends, which runs them.
    class TOwnWork {
    public:
        explicit TOwnWork(TKXActiveXForm &form) : form_(form), alive_(form.alive_) { ++form_.ownWork_; }
        ~TOwnWork()
        {
            // A container may destroy the form from inside a handler (its events).
            if (*alive_ && --form_.ownWork_ == 0)
                form_.RunWaitingWork();
        }
        TOwnWork(const TOwnWork &) = delete;
        TOwnWork &operator=(const TOwnWork &) = delete;

    private:
        TKXActiveXForm &form_;
        std::shared_ptr<const bool> alive_;
    };
    // The event-handler boundary; handlers run only once the layout is complete.
    template <class F>
    void Handle(F &&body)
    {
        if (!loaded_)
            return;
        TOwnWork work(*this);
        RunHandler(hwnd_, std::forward<F>(body));
    }
    // A user's action on the panel's lists and tools, which asks the
    // dispatcher. Waiting on the dispatcher, the window's thread still runs
    // its message loop, where input goes on arriving: an action arriving
    // while the panel's own work is in hand waits for that work to end, as a
    // dispatcher event does, instead of running in the middle of it.
    void HandleAction(std::function<void()> body, TLinkUse use)
    {
        if (!loaded_)
            return;
        if (use != TLinkUse::None)
            body = [this, use, body = std::move(body)] { WithDispatcher(use, body); };
        if (ownWork_ > 0) {
            waitingActions_.push_back(std::move(body));
            if (hwnd_)
                PostMessageW(hwnd_, WM_KX_WAITING_WORK, 0, 0);
            return;
        }
        Handle(body);
    }
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    TFormOwner &owner_;
    const std::shared_ptr<TPanelState> state_;
    TFormControls c_;
    std::unique_ptr<TSelectionBox> selectionBox_;
    std::unique_ptr<TInfoPointListBox> infoPointList_;
    std::unique_ptr<TMapToolBar> mapToolBar_;
    // The counted copies Attach keeps while the boxes use the plain pointers.
    ComPtr<IMap> map_;
    ComPtr<IGrymObjectFactory> factory_;
    std::unique_ptr<TFormReport> report_;
    TFormTimer timer1_, timer2_, stopHoldTimer_;
    HWND hwnd_ = nullptr;
    bool loaded_ = false;  // handlers run only once the layout is complete
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // false once the destructor runs
    kx::DispatcherEventQueue dispatcherEvents_;
    std::deque<std::function<void()>> waitingActions_;  // user's actions, in arrival order
    // The action that reconnected, until the trips it asked for again have come.
    std::function<void()> afterReconnect_;
    int ownWork_ = 0;                // handlers (and start-up, shut-down) running, nested
    std::uint32_t boundLink_ = 0;    // counts the clients bound; names the one bound now
    HWND cmbSpeedEdit_ = nullptr;
    ComPtr<IFont> font_;
    HFONT formFont_ = nullptr;
    HFONT boldTahoma9_ = nullptr, tahoma8_ = nullptr, webdings15_ = nullptr, webdings14_ = nullptr,
          webdings9_ = nullptr;
    std::vector<HWND> formFontControls_;  // the children that take the form's font
    kx::TDisplayScale scale_;
    // Each component's rectangle at design size and its font: every scale
    // is taken from these, never from the last one, so nothing drifts.
    struct TPlaced {
        HWND control;
        RECT design;
        HFONT TKXActiveXForm::*font;
    };
    std::vector<TPlaced> placed_;
    HBRUSH brush_ = nullptr;
    std::vector<TMenuItem> menuItems_;
    int trackBarPosition_ = 0;
    bool mouseInClient_ = false;
    bool leftButtonDown_ = false;
    POINT scroll_{0, 0};
    // Controls that follow the form's right edge when it is wider than
    // designed: their design rectangles (unscaled) and whether they stretch or move.
    struct TAnchor {
        HWND control;
        RECT design;
        bool stretch;
    };
    std::vector<TAnchor> anchors_;
    int anchoredExtra_ = 0;  // -1: lay out again
};
