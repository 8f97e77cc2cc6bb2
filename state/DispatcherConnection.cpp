#include "DispatcherConnection.h"

TDispatcherConnection &DispatcherConnection()
{
    // Never destroyed: see the header.
    static TDispatcherConnection &link = *new TDispatcherConnection;
    return link;
}
