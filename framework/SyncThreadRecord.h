// What the user-space locks know of one thread: a handle that tells when it has ended,
// the event it sleeps on while it waits, and the mutexes it holds. A thread that ends
// holding some, by returning or by being terminated, leaves them abandoned to their next
// waiter instead of held for ever. Apart from Current(), every member is used with the
// user-space guard held (CUserSpaceSyncObject::Guard).
#pragma once
#include "framework/FrameworkBase.h"

#include <vector>

class CMutex;

class SyncThreadRecord
{
public:
    // The calling thread's record, made at its first wait or mutex acquisition (the only
    // time a thread pays kernel calls for these locks: a handle of itself and its event).
    // Never called with the guard held.
    static SyncThreadRecord& Current();
    // The calling thread's record, or null before it has one; safe under the guard.
    static SyncThreadRecord* Find();

    void Hold(CMutex* mutex) { m_held.push_back(mutex); }
    void Release(CMutex* mutex);
    // Whether the thread is gone without having given its mutexes back: a thread that
    // returns does that on its way out, so this finds the terminated ones.
    bool HasEnded() const;
    // Abandons every mutex still held and deletes the record.
    void EndThread();
    // The same for a thread just terminated, found by its id.
    static void EndTerminatedThread(DWORD threadId);

    // The calling thread goes to sleep on its event until a change wakes it.
    void StartSleeping();
    void StopSleeping();
    HANDLE WakeEvent() const { return m_wake; }
    // Wakes every sleeping thread (each one's event is set once).
    static void WakeSleepers();

    SyncThreadRecord(const SyncThreadRecord&) = delete;
    SyncThreadRecord& operator=(const SyncThreadRecord&) = delete;

private:
    SyncThreadRecord();
    ~SyncThreadRecord();
    static void WINAPI ThreadEnds(void* record);

    DWORD m_threadId = 0;
    HANDLE m_thread = nullptr;
    HANDLE m_wake = nullptr;
    std::vector<CMutex*> m_held;
    // Every record is in the list of records; a sleeping one also in the sleepers'.
    struct Links
    {
        SyncThreadRecord* next = nullptr;
        SyncThreadRecord* previous = nullptr;
    };
    static void Link(SyncThreadRecord*& first, SyncThreadRecord* record, Links SyncThreadRecord::*links);
    static void Unlink(SyncThreadRecord*& first, SyncThreadRecord* record, Links SyncThreadRecord::*links);
    Links m_recordLinks;
    Links m_sleeperLinks;
    bool m_asleep = false;
};
