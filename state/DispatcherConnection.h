// The panel's connection to the dispatcher program.
//
// Written by the form's start-up (the client is created and its events bound)
// and shut-down (unbound and freed); the selection box lets the client go
// when the program closes. Everyone else calls through `Client`.
#pragma once

#include <memory>

#include "DispatcherLink.h"

struct TDispatcherConnection {
    // Freed only by shut-down: a form destroyed on its own leaves the
    // connection alone, and the module-wide state that holds this is never
    // destroyed, because freeing a COM client at library unload is unsafe.
    std::unique_ptr<IDispatcherLink> Client;
    const void *EventsOwner = nullptr;  // the form the client's events are bound to
};
