// The form's start-up, run once by its first Timer2 tick after the layout,
// and its shut-down, run by the plug-in's Terminate.
#include "KXActiveXForm.h"

#include "../boxes/PlayerBox.h"
#include "Karvex_TLB.h"
#include "DispatcherConnection.h"
#include "PanelState.h"
#include "Seams.h"

#include <optional>

// ---- start-up and shut-down -------------------------------------------------

void TKXActiveXForm::Timer2Timer()
{
    // One shot: the start-up must run once, however often the timer fired.
    timer2_.SetEnabled(false);
    ActiveFormCreateOnTimer();
}

void TKXActiveXForm::ActiveFormCreateOnTimer()
{
    TOwnWork work(*this);
    TDispatcherConnection &link = DispatcherConnection();

    PanelStep(L"CreateClient");
    try {
        std::unique_ptr<IDispatcherLink> client = PanelSeams().CreateDispatcherLink();
        if (link.Client) {
            // A second panel's start-up replaces the module's one client.
            UnbindClientEvents();
            link.Client.reset();
        }
        link.Client = std::move(client);
        if (!link.Client)
            throw EPanelError(L"Клиент программы Карвекс не создан");
        link.Client->Start();
    } catch (...) {
        ShowMessage(nullptr, L"Ошибка запуска ПО Карвекс", L"Ошибка", MB_OK);
    }

    PanelStep(L"BindEvents");
    BindClientEvents();

    PanelStep(L"IconNum");
    state_->Settings.IconNum = 0;

    try {
        PanelStep(L"FillTrips");
        FillTrips();
    } catch (...) {
        // Trips computed before the panel started are a bonus; errors are ignored.
    }

    PanelStep(L"FillGroups");
    FillGroups();
    PanelStep(L"ProcessSettings(0)");
    ProcessSettings(0);
    PanelStep(L"FillInfoPointCategories");
    FillInfoPointCategories();
    PanelStep(L"MarkerPolygons");
    Player->ResetMarker();
}

void TKXActiveXForm::ActiveFormDestroy()
{
    // Events still waiting belong to a client about to go: none runs now or
    // later; neither do the user's actions that would ask it.
    dispatcherEvents_.Close();
    waitingActions_.clear();
    afterReconnect_ = nullptr;
    TOwnWork work(*this);
    RunHandler(nullptr, [&] {
        TDispatcherConnection &link = DispatcherConnection();
        PanelStep(L"FreeClient");
        if (link.Client) {
            link.EventsOwner = nullptr;
            link.Client.reset();
        }
        // The report lets go of the track before it goes; its place is kept.
        CloseReport();
        PanelStep(L"ClearData");
        state_->ClearForShutdown();
        try {
            PanelStep(L"btnStopClick");
            // Whatever the list shows: a player left running would tick on
            // after the track has gone.
            StopPlayer();
        } catch (...) {
            // Stopping swallows its errors.
        }
        PanelStep(L"ProcessSettings(1)");
        ProcessSettings(1);
    });
}

// The sink only records the event: the dispatcher's call returns at once and
// the handler runs after whatever the panel is doing.
void TKXActiveXForm::BindClientEvents()
{
    TDispatcherConnection &connection = DispatcherConnection();
    if (!connection.Client)
        return;
    const std::uint32_t link = ++boundLink_;
    connection.Client->BindEvents([this, link] { QueueDispatcherEvent(kx::DispatcherEvent::EndComputing, link); },
                                  [this, link] { QueueDispatcherEvent(kx::DispatcherEvent::CloseServer, link); },
                                  [this, link] { QueueDispatcherEvent(kx::DispatcherEvent::ReceiveOnlineData, link); });
    connection.EventsOwner = this;
}

void TKXActiveXForm::QueueDispatcherEvent(kx::DispatcherEvent event, std::uint32_t link)
{
    if (dispatcherEvents_.Push(event, link) && hwnd_)
        PostMessageW(hwnd_, WM_KX_WAITING_WORK, 0, 0);
}

void TKXActiveXForm::RunWaitingWork()
{
    if (ownWork_ > 0 || !loaded_)
        return;
    const std::shared_ptr<const bool> alive = alive_;
    for (size_t n = waitingActions_.size(); n > 0 && !waitingActions_.empty(); --n) {
        std::function<void()> action = std::move(waitingActions_.front());
        waitingActions_.pop_front();
        ++ownWork_;
        RunHandler(hwnd_, action);
        if (!*alive)
            return;
        --ownWork_;
    }
    for (size_t n = dispatcherEvents_.Size(); n > 0; --n) {
        std::optional<kx::QueuedDispatcherEvent> item = dispatcherEvents_.Pop();
        if (!item)
            break;
        const TDispatcherConnection &connection = DispatcherConnection();
        // A client closed, replaced or gone since: its later events have
        // nobody to ask.
        if (item->link != boundLink_ || !connection.Client || connection.EventsOwner != this)
            continue;
        const auto lost = [] {
            const TKarvexAutomation *client = LinkClient();
            return client && client->Lost();
        };
        if (lost() && item->event != kx::DispatcherEvent::CloseServer)
            continue;
        // The dispatcher's events come without a user's action: a program
        // gone meanwhile is told on the user's next action, not in a box now.
        const auto run = [&](auto &&handler) {
            RunHandler(hwnd_, [&] {
                try {
                    handler();
                } catch (...) {
                    if (!lost())
                        throw;
                }
            });
        };
        ++ownWork_;  // events arriving meanwhile wait for this loop
        run([&] {
            switch (item->event) {
            case kx::DispatcherEvent::EndComputing: OnEndComputing(); break;
            case kx::DispatcherEvent::CloseServer: OnCloseKarvex(); break;
            case kx::DispatcherEvent::ReceiveOnlineData: OnReceiveOnlineData(); break;
            }
        });
        // The end that followed the online data, whatever became of its refresh.
        if (*alive && item->thenEndComputing && DispatcherConnection().Client)
            run([&] { OnEndComputing(); });
        if (!*alive)
            return;  // gone while its message box was up
        --ownWork_;
        // The action that reconnected runs once its trips are listed again.
        if (afterReconnect_ && !state_->Selection.ComputeRequested)
            waitingActions_.push_back(std::exchange(afterReconnect_, nullptr));
    }
    LetGoOfLostLink();
    // What came meanwhile may have had its wake-up while this work was in
    // hand: one more, so that it runs after the message loop's turn.
    if ((!waitingActions_.empty() || !dispatcherEvents_.Empty()) && hwnd_)
        PostMessageW(hwnd_, WM_KX_WAITING_WORK, 0, 0);
}

void TKXActiveXForm::UnbindClientEvents()
{
    TDispatcherConnection &link = DispatcherConnection();
    if (link.Client && link.EventsOwner == this) {
        try {
            link.Client->BindEvents({}, {}, {});
        } catch (...) {
        }
        link.EventsOwner = nullptr;
    }
}

