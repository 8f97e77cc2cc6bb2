#include "kx/dispatcher_events.h"

#include <gtest/gtest.h>

#include <vector>

using kx::DispatcherEvent;
using kx::DispatcherEventQueue;

namespace {

constexpr DispatcherEvent End = DispatcherEvent::EndComputing;
constexpr DispatcherEvent Close = DispatcherEvent::CloseServer;
constexpr DispatcherEvent Online = DispatcherEvent::ReceiveOnlineData;

// What the panel's three handlers leave behind, reduced to what they
// decide: online data sets the skip flag and, with no vehicle chosen,
// redraws the overview; the end of a computation is swallowed by the flag
// or lists the trips; the close forgets the connection, after which its
// events do nothing.
struct PanelModel {
    bool vehicleChosen = false;
    bool skipNextEnd = false;
    bool connected = true;
    int tripsListed = 0;
    int overviewRefreshes = 0;

    void Handle(DispatcherEvent e)
    {
        if (!connected)
            return;
        switch (e) {
        case DispatcherEvent::ReceiveOnlineData:
            skipNextEnd = true;
            if (!vehicleChosen)
                ++overviewRefreshes;
            break;
        case DispatcherEvent::EndComputing:
            if (skipNextEnd)
                skipNextEnd = false;
            else
                ++tripsListed;
            break;
        case DispatcherEvent::CloseServer:
            connected = false;
            break;
        }
    }
    bool SameOutcome(const PanelModel &o) const
    {
        return skipNextEnd == o.skipNextEnd && connected == o.connected && tripsListed == o.tripsListed &&
               (overviewRefreshes > 0) == (o.overviewRefreshes > 0);
    }
};

// The events as the panel handles them: an end riding on online data after it.
std::vector<DispatcherEvent> Drain(DispatcherEventQueue &q)
{
    std::vector<DispatcherEvent> out;
    while (auto item = q.Pop()) {
        out.push_back(item->event);
        if (item->thenEndComputing)
            out.push_back(End);
    }
    return out;
}

}  // namespace

TEST(DispatcherEventQueue, KeepsArrivalOrderAndFoldsOnlyNeighbouringOnlineData)
{
    DispatcherEventQueue q;
    EXPECT_TRUE(q.Push(End, 1));
    EXPECT_TRUE(q.Push(Online, 1));
    EXPECT_FALSE(q.Push(Online, 1));  // folded: no second wake-up either
    EXPECT_FALSE(q.Push(End, 1));     // swallowed by the online data's flag: rides on it
    EXPECT_FALSE(q.Push(Online, 1));  // online, end, online: one refresh, the flag left set
    EXPECT_FALSE(q.Push(End, 1));
    EXPECT_TRUE(q.Push(End, 1));  // a second end is a computation's
    EXPECT_TRUE(q.Push(Close, 1));
    EXPECT_EQ((std::vector<DispatcherEvent>{End, Online, End, End, Close}), Drain(q));
    EXPECT_TRUE(q.Empty());
    EXPECT_FALSE(q.Pop().has_value());

    // Online data of another connection is not the same refresh.
    EXPECT_TRUE(q.Push(Online, 1));
    EXPECT_TRUE(q.Push(Online, 2));
    const auto first = q.Pop();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(1u, first->link);
    EXPECT_EQ(2u, q.Pop()->link);
}

// Every sequence of up to seven events, with and without a vehicle chosen,
// from either state of the skip flag: handled through the queue (folded)
// the panel ends exactly where handling them one by one leaves it.
TEST(DispatcherEventQueue, FoldedBurstsEndLikeOneByOne)
{
    const DispatcherEvent kinds[] = {End, Close, Online};
    int sequences = 0, folded = 0;
    for (int length = 1; length <= 7; ++length) {
        int total = 1;
        for (int i = 0; i < length; ++i)
            total *= 3;
        for (int code = 0; code < total; ++code) {
            std::vector<DispatcherEvent> events;
            for (int i = 0, c = code; i < length; ++i, c /= 3)
                events.push_back(kinds[c % 3]);
            for (int start = 0; start < 4; ++start) {
                PanelModel oneByOne, queued;
                oneByOne.vehicleChosen = queued.vehicleChosen = (start & 1) != 0;
                oneByOne.skipNextEnd = queued.skipNextEnd = (start & 2) != 0;
                DispatcherEventQueue q;
                for (DispatcherEvent e : events) {
                    oneByOne.Handle(e);
                    q.Push(e, 7);
                }
                const std::vector<DispatcherEvent> handled = Drain(q);
                for (DispatcherEvent e : handled)
                    queued.Handle(e);
                folded += handled.size() < events.size();
                ++sequences;
                ASSERT_TRUE(queued.SameOutcome(oneByOne)) << "sequence " << code << " of length " << length;
                EXPECT_LE(queued.overviewRefreshes, oneByOne.overviewRefreshes);
            }
        }
    }
    EXPECT_GT(folded, 0);
    // A busy dispatcher's endless online data and recomputations stay one entry.
    DispatcherEventQueue busy;
    for (int i = 0; i < 1000; ++i) {
        busy.Push(Online, 1);
        busy.Push(End, 1);
    }
    EXPECT_EQ(1u, busy.Size());
    EXPECT_EQ(4 * (3 + 9 + 27 + 81 + 243 + 729 + 2187), sequences);
}

TEST(DispatcherEventQueue, ClosedQueueDropsWhatWaitsAndTakesNothingMore)
{
    DispatcherEventQueue q;
    q.Push(End, 1);
    q.Push(Online, 1);
    q.Close();
    EXPECT_TRUE(q.Closed());
    EXPECT_TRUE(q.Empty());
    EXPECT_FALSE(q.Push(Close, 1));
    EXPECT_FALSE(q.Push(Online, 1));
    EXPECT_FALSE(q.Pop().has_value());
}
