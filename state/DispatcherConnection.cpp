#include "DispatcherConnection.h"

#include "ComGuard.h"

TDispatcherConnection &DispatcherConnection()
{
    // Never destroyed: see the header.
    static TDispatcherConnection &link = *new TDispatcherConnection;
    return link;
}

bool TDispatcherConnection::HasServer() const
{
    return Client && Client->Automation();
}

TKarvexAutomation &TDispatcherConnection::Server() const
{
    TKarvexAutomation *client = Client ? Client->Automation() : nullptr;
    if (!client)
        throw EPanelError(L"Нет связи с ПО Карвекс", E_UNEXPECTED);
    return *client;
}
