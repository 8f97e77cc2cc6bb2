// The panel's view of the dispatcher program's client: created at start-up,
// freed at shut-down. The real client is adapted to it in KarvexLink.cpp;
// tests put a fake in its place through the seam in Seams.h.
#pragma once

#include <functional>
#include <memory>

class TKarvexAutomation;

class IDispatcherLink {
public:
    virtual ~IDispatcherLink() = default;
    // Connects to the dispatcher program; throws on failure.
    virtual void Start() = 0;
    // The three events the panel handles. Empty functions unbind them.
    virtual void BindEvents(std::function<void()> onEndComputing,
                            std::function<void()> onCloseServer,
                            std::function<void()> onReceiveOnlineData) = 0;
    // The client's operations (groups, trips, tracks); null for a fake without one.
    virtual TKarvexAutomation *Automation() = 0;
    // Connected, and the program not found gone nor closed since.
    virtual bool Up() = 0;
};

// The production client.
std::unique_ptr<IDispatcherLink> CreateKarvexLink();
