#pragma once
// The dispatcher's events waiting for the panel: the event sink only records
// them, and the panel runs them from its message loop once none of its own
// handlers is running, so that an event never lands half-way through a
// handler's work on the same state and controls.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace kx {

enum class DispatcherEvent { EndComputing, CloseServer, ReceiveOnlineData };

struct QueuedDispatcherEvent {
    DispatcherEvent event;
    // Which connection raised it: the panel drops events of a connection it
    // has let go (closed, or replaced by a new one).
    std::uint32_t link;
    // Online data only: an end of computation came right after it, which
    // the skip flag it sets swallows; the panel handles that end after it.
    bool thenEndComputing = false;
};

class DispatcherEventQueue {
public:
    // Records an event. A busy dispatcher sends online data and the end of
    // the computation it redoes on it over and over; folded, they stay one
    // entry, ending where handling them one by one would:
    // - the end right behind online data is swallowed by the skip flag the
    //   online data sets: it rides on that entry (thenEndComputing);
    // - online data right behind online data (with or without such an end
    //   between) is one refresh of the overview, leaving the flag set, as
    //   the second one alone would.
    // Returns true when a new entry was added (the caller then asks to be
    // woken for it); false when folded, or when the queue is closed.
    bool Push(DispatcherEvent event, std::uint32_t link);
    // The oldest event, taken out; none when empty.
    std::optional<QueuedDispatcherEvent> Pop();
    bool Empty() const { return items_.empty(); }
    std::size_t Size() const { return items_.size(); }
    // Shut-down: what waits is dropped and nothing is recorded any more.
    void Close();
    bool Closed() const { return closed_; }

private:
    std::deque<QueuedDispatcherEvent> items_;
    bool closed_ = false;
};

}  // namespace kx
