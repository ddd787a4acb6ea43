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

// The refresh ids of everything left in the queue, oldest first.
std::vector<int> DrainIds(StorageQueue_t& queue)
{
    std::vector<int> ids;
    for (CStoragePtr item = queue.TakeFront(); item && ids.size() < 1000; item = queue.TakeFront())
        ids.push_back(static_cast<CStorageRefreshEvent&>(*item).GetId());
    return ids;
}

TEST(StorageQueue, LimitDropsOnlyAboveItsValue)
{
    StorageQueue_t queue(3);
    for (int i = 1; i <= 4; ++i)
        queue.Push(Refresh(0, i));
    // Four items are not above a limit of three until a fifth comes.
    EXPECT_EQ((std::vector<int>{ 1, 2, 3, 4 }), DrainIds(queue));

    for (int i = 1; i <= 6; ++i)
        queue.Push(Refresh(0, i));
    EXPECT_EQ((std::vector<int>{ 3, 4, 5, 6 }), DrainIds(queue));

    // A batch drops item by item, as single pushes do.
    queue.Push(Refresh(0, 1));
    queue.PushBatch(StorageBatch_t{ Refresh(0, 2), Refresh(0, 3), Refresh(0, 4), Refresh(0, 5), Refresh(0, 6) });
    EXPECT_TRUE(IsSignalled(queue.GetEvent()));
    EXPECT_EQ((std::vector<int>{ 3, 4, 5, 6 }), DrainIds(queue));
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
}

TEST(StorageQueue, BatchesGoInAndComeOutInOrderWithTheEventAndTheFlag)
{
    StorageQueue_t queue;
    EXPECT_FALSE(queue.HasItems());
    queue.PushBatch(StorageBatch_t());
    EXPECT_FALSE(queue.HasItems());
    EXPECT_FALSE(IsSignalled(queue.GetEvent())) << "an empty batch wakes nobody";
    EXPECT_TRUE(queue.TakeAll().empty());

    queue.Push(Refresh(0, 1));
    queue.PushBatch(StorageBatch_t{ Refresh(0, 2), Refresh(0, 3) });
    queue.Push(Refresh(0, 4));
    EXPECT_TRUE(queue.HasItems());
    EXPECT_TRUE(IsSignalled(queue.GetEvent()));
    CStoragePtr first = queue.TakeFront();
    ASSERT_TRUE(first);
    EXPECT_EQ(1, static_cast<CStorageRefreshEvent&>(*first).GetId());

    const StorageBatch_t rest = queue.TakeAll();
    std::vector<int> ids;
    for (const CStoragePtr& item : rest)
        ids.push_back(static_cast<CStorageRefreshEvent&>(*item).GetId());
    EXPECT_EQ((std::vector<int>{ 2, 3, 4 }), ids);
    EXPECT_FALSE(queue.HasItems());
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
    EXPECT_FALSE(queue.Front());
    EXPECT_FALSE(queue.TakeFront());

    // The queue works on after everything was taken.
    queue.PushBatch(StorageBatch_t{ Refresh(0, 5) });
    EXPECT_TRUE(queue.HasItems());
    EXPECT_TRUE(IsSignalled(queue.GetEvent()));
    queue.Clear();
    EXPECT_FALSE(queue.HasItems());
    EXPECT_FALSE(IsSignalled(queue.GetEvent()));
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
