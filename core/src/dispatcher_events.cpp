#include "kx/dispatcher_events.h"

namespace kx {

bool DispatcherEventQueue::Push(DispatcherEvent event, std::uint32_t link)
{
    if (closed_)
        return false;
    if (!items_.empty() && items_.back().event == DispatcherEvent::ReceiveOnlineData && items_.back().link == link) {
        QueuedDispatcherEvent &online = items_.back();
        if (event == DispatcherEvent::ReceiveOnlineData) {
            online.thenEndComputing = false;
            return false;
        }
        if (event == DispatcherEvent::EndComputing && !online.thenEndComputing) {
            online.thenEndComputing = true;
            return false;
        }
    }
    items_.push_back({event, link, false});
    return true;
}

std::optional<QueuedDispatcherEvent> DispatcherEventQueue::Pop()
{
    if (items_.empty())
        return std::nullopt;
    const QueuedDispatcherEvent front = items_.front();
    items_.pop_front();
    return front;
}

void DispatcherEventQueue::Close()
{
    items_.clear();
    closed_ = true;
}

}  // namespace kx
