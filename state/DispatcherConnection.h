// The panel's connection to the dispatcher program.
//
// Module-wide, and the one piece of the panel's data that is: made at first
// use and never destroyed, because a COM client must not be freed at library
// unload (the loader lock is held and the program may be gone), and because
// the client outlives a form destroyed without the plug-in's Terminate.
// Everything else the panel keeps is a TPanelState with an owner.
//
// Written by the form's start-up (the client is created and its events bound)
// and shut-down (unbound and freed); the selection box lets the client go
// when the program closes, the form's reconnection when it has gone. Everyone
// else calls through `Client`; the boxes are handed the connection and ask
// it for the dispatcher (`Server`).
#pragma once

#include <memory>

#include "DispatcherLink.h"

class TKarvexAutomation;

struct TDispatcherConnection {
    std::unique_ptr<IDispatcherLink> Client;
    const void *EventsOwner = nullptr;  // the form the client's events are bound to

    // Whether there is a connected client to ask.
    bool HasServer() const;
    // The connected client; a clear error when there is none (never
    // started, or the dispatcher closed).
    TKarvexAutomation &Server() const;
};

TDispatcherConnection &DispatcherConnection();
