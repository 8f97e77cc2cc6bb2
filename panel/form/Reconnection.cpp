// The way back to the dispatcher program: a link whose program has gone is
// let go when the work in hand ends, and the user's next action that needs
// the program connects again as the start-up does, lists the groups and
// chooses again what the panel showed. Nothing here runs on its own.
#include "FormBoxes.h"

#include "Karvex_TLB.h"
#include "DispatcherConnection.h"

#include <cwchar>

bool TKXActiveXForm::LinkDown() const
{
    const TDispatcherConnection &link = DispatcherConnection();
    return !link.Client || !link.Client->Up();
}

const TKarvexAutomation *TKXActiveXForm::LinkClient()
{
    const TDispatcherConnection &link = DispatcherConnection();
    return link.Client ? link.Client->Automation() : nullptr;
}

void TKXActiveXForm::LetGoOfLostLink()
{
    TDispatcherConnection &link = DispatcherConnection();
    const TKarvexAutomation *client = LinkClient();
    if (!client || !client->Lost() || link.EventsOwner != this)
        return;
    UnbindClientEvents();
    link.Client.reset();
    // Whatever waited for the trips of that link waits in vain.
    afterReconnect_ = nullptr;
}

void TKXActiveXForm::WithDispatcher(TLinkUse use, std::function<void()> then)
{
    if (!LinkDown()) {
        try {
            return then();
        } catch (...) {
            // The program went since the last call and this action is the
            // first to find out: it is carried out again on a new link. A
            // program that said it closes is left to close.
            const TKarvexAutomation *client = LinkClient();
            if (!client || !client->Lost() || client->Closed())
                throw;
        }
    }
    TDispatcherConnection &connection = DispatcherConnection();
    const TShownSelection shown = selectionBox_->Shown();
    afterReconnect_ = nullptr;
    if (connection.Client) {
        UnbindClientEvents();
        connection.Client.reset();
    }
    // As the start-up makes it; a program still not there fails here, once,
    // with the news every lost call gives.
    std::unique_ptr<IDispatcherLink> link = PanelSeams().CreateDispatcherLink();
    try {
        if (!link)
            throw EPanelError(L"Клиент программы Карвекс не создан");
        link->Start();
    } catch (...) {
        const std::wstring why = CurrentExceptionText();
        if (why.compare(0, std::wcslen(kKarvexLinkLost), kKarvexLinkLost) == 0)
            throw;
        throw EPanelError(std::wstring(kKarvexLinkLost) + L" " + why, CO_E_OBJNOTCONNECTED);
    }
    connection.Client = std::move(link);
    BindClientEvents();
    EnableWindow(c_.ListView1, TRUE);

    // The action that changes the selection chooses for itself; any other
    // runs once the shown vehicle's trips are there again to work on.
    if (selectionBox_->Rechoose(shown, use == TLinkUse::Ask))
        afterReconnect_ = std::move(then);
    else
        then();
}
