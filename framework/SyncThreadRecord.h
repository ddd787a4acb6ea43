// What the user-space locks know of one thread: a handle that tells when it has ended
// and the mutexes it holds. A thread that ends holding some, by returning or by being
// terminated, leaves them abandoned to their next waiter instead of held for ever.
// Every member is used with the user-space guard held (CUserSpaceSyncObject::Guard).
#pragma once
#include "framework/FrameworkBase.h"

#include <vector>

class CMutex;

class SyncThreadRecord
{
public:
    // The calling thread's record, made at its first mutex acquisition (the only time a
    // thread pays a kernel call for these locks: the handle of itself).
    static SyncThreadRecord& Current();

    void Hold(CMutex* mutex) { m_held.push_back(mutex); }
    void Release(CMutex* mutex);
    // Whether the thread is gone without having given its mutexes back: a thread that
    // returns does that on its way out, so this finds the terminated ones.
    bool HasEnded() const;
    // Abandons every mutex still held and deletes the record.
    void EndThread();

    SyncThreadRecord(const SyncThreadRecord&) = delete;
    SyncThreadRecord& operator=(const SyncThreadRecord&) = delete;

private:
    SyncThreadRecord();
    ~SyncThreadRecord();
    static void WINAPI ThreadEnds(void* record);

    HANDLE m_thread = nullptr;
    std::vector<CMutex*> m_held;
};
