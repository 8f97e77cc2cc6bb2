// The form's start-up, run once by its first Timer2 tick after the layout,
// and its shut-down, run by the plug-in's Terminate.
#include "KXActiveXForm.h"

#include "../boxes/PlayerBox.h"
#include "PanelState.h"
#include "Seams.h"

// ---- start-up and shut-down -------------------------------------------------

void TKXActiveXForm::Timer2Timer()
{
    // One shot: the start-up must run once, however often the timer fired.
    timer2_.SetEnabled(false);
    ActiveFormCreateOnTimer();
}

void TKXActiveXForm::ActiveFormCreateOnTimer()
{
    TPanelState &data = PanelState();

    PanelStep(L"CreateClient");
    try {
        std::unique_ptr<IDispatcherLink> link = PanelSeams().CreateDispatcherLink();
        if (data.Link.Client) {
            // A second panel's start-up replaces the module's one client.
            UnbindClientEvents();
            data.Link.Client.reset();
        }
        data.Link.Client = std::move(link);
        if (!data.Link.Client)
            throw EPanelError(L"Клиент программы Карвекс не создан");
        data.Link.Client->Start();
    } catch (...) {
        ShowMessage(nullptr, L"Ошибка запуска ПО Карвекс", L"Ошибка", MB_OK);
    }

    PanelStep(L"BindEvents");
    if (data.Link.Client) {
        data.Link.Client->BindEvents([this] { Handle([&] { OnEndComputing(); }); },
                                [this] { Handle([&] { OnCloseKarvex(); }); },
                                [this] { Handle([&] { OnReceiveOnlineData(); }); });
        data.Link.EventsOwner = this;
    }

    PanelStep(L"IconNum");
    data.Settings.IconNum = 0;

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
    RunHandler(nullptr, [&] {
        TPanelState &data = PanelState();
        PanelStep(L"FreeClient");
        if (data.Link.Client) {
            data.Link.EventsOwner = nullptr;
            data.Link.Client.reset();
        }
        // The report lets go of the track before it goes; its place is kept.
        CloseReport();
        PanelStep(L"ClearData");
        data.ClearForShutdown();
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

void TKXActiveXForm::UnbindClientEvents()
{
    TPanelState &data = PanelState();
    if (data.Link.Client && data.Link.EventsOwner == this) {
        try {
            data.Link.Client->BindEvents({}, {}, {});
        } catch (...) {
        }
        data.Link.EventsOwner = nullptr;
    }
}

