#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "documents/CStorageRefreshEvent.h"
#include "documents/CStorageTick.h"
#include "documents/StorageQueue_t.h"

namespace {

bool IsSignalled(HANDLE event)
{
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

CStoragePtr Refresh(int code, int id)
{
    return CStoragePtr(new CStorageRefreshEvent(code, id));
}

TEST(StorageQueue, NewQueueIsEmptyAndItsEventClear)
{
    StorageQueue_t queue;
    ASSERT_NE(nullptr, queue.GetEvent());
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
    EXPECT_FALSE(queue.Front());
    queue.PopFront();   // harmless on an empty queue
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
}

TEST(StorageQueue, EventIsSetExactlyWhileItemsAreQueued)
{
    StorageQueue_t queue;
    queue.Push(Refresh(1, 1));
    EXPECT_TRUE(IsSignalled(queue.GetEvent()));
    queue.Push(Refresh(2, 2));
    queue.PopFront();
    EXPECT_TRUE(IsSignalled(queue.GetEvent())) << "one item is still queued";
    queue.PopFront();
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
    queue.PopFront();
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
}

TEST(StorageQueue, ItemsLeaveInTheOrderTheyCame)
{
    StorageQueue_t queue;
    for (int i = 0; i < 5; ++i)
        queue.Push(Refresh(i, 100 + i));
    for (int i = 0; i < 5; ++i) {
        CStoragePtr item = queue.Front();
        ASSERT_TRUE(item);
        EXPECT_EQ(100 + i, static_cast<CStorageRefreshEvent&>(*item).GetId());
        queue.PopFront();
    }
    EXPECT_FALSE(queue.Front());
}

TEST(StorageQueue, FrontLeavesTheItemQueued)
{
    StorageQueue_t queue;
    CStoragePtr tick(new CStorageTick());
    queue.Push(tick);
    EXPECT_EQ(tick, queue.Front());
    EXPECT_EQ(tick, queue.Front());
    EXPECT_TRUE(IsSignalled(queue.GetEvent()));
}

TEST(StorageQueue, ClearEmptiesAndResetsTheEventAndReleasesItems)
{
    StorageQueue_t queue;
    CStoragePtr tick(new CStorageTick());
    queue.Push(tick);
    queue.Push(tick);
    EXPECT_EQ(3, tick.use_count());
    queue.Clear();
    EXPECT_EQ(1, tick.use_count());
    EXPECT_FALSE(queue.Front());
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
}

TEST(StorageQueue, DestructionReleasesQueuedItems)
{
    CStoragePtr tick(new CStorageTick());
    {
        StorageQueue_t queue;
        queue.Push(tick);
        EXPECT_EQ(2, tick.use_count());
    }
    EXPECT_EQ(1, tick.use_count());
}

TEST(StorageQueue, LimitDropsOnlyAboveItsValue)
{
    // The drop rule itself needs half a billion items; the bound it works against is fixed.
    EXPECT_EQ(0x1FFFFFFEu, STORAGE_QUEUE_LIMIT);
}

TEST(StorageQueue, ConcurrentProducersLoseNothing)
{
    StorageQueue_t queue;
    const int producers = 4;
    const int perProducer = 2000;
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([&queue, p] {
            for (int i = 0; i < perProducer; ++i)
                queue.Push(Refresh(p, i));
        });
    }
    // A consumer drains at the same time, waiting on the event with a bound.
    std::vector<int> nextPerProducer(producers, 0);
    int taken = 0;
    DWORD start = GetTickCount();
    while (taken < producers * perProducer && GetTickCount() - start < 10000) {
        if (WaitForSingleObject(queue.GetEvent(), 100) != WAIT_OBJECT_0)
            continue;
        CStoragePtr item = queue.Front();
        if (!item)
            continue;
        queue.PopFront();
        const CStorageRefreshEvent& refresh = static_cast<CStorageRefreshEvent&>(*item);
        // Each producer's items keep their order.
        ASSERT_EQ(nextPerProducer[refresh.GetCode()], refresh.GetId());
        ++nextPerProducer[refresh.GetCode()];
        ++taken;
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(producers * perProducer, taken);
    EXPECT_FALSE(queue.Front());
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
}

} // namespace
