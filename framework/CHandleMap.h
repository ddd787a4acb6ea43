// Map from Win32 handles to the framework objects that wrap them.
//
// Permanent entries belong to objects that own their handle (made by Attach or a Create
// call); they are shared by all threads, since an object may be destroyed on another
// thread than the one that created it. Temporary entries are wrappers that FromHandle
// makes for handles nobody wraps; they belong to the calling thread and live until that
// thread deletes them at idle time, so callers must not keep such pointers.
#pragma once
#include "framework/FrameworkBase.h"

#include <mutex>
#include <unordered_map>
#include <vector>

template <class TObject, class THandle>
class CHandleMap
{
public:
    static void SetPermanent(THandle handle, TObject* object)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Permanent()[handle] = object;
    }

    // Only removes the entry when it still belongs to this object: a handle value may
    // already have been reused for a newer object.
    static void RemovePermanent(THandle handle, const TObject* object)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        auto found = Permanent().find(handle);
        if (found != Permanent().end() && found->second == object)
            Permanent().erase(found);
    }

    static TObject* LookupPermanent(THandle handle)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        auto found = Permanent().find(handle);
        return found == Permanent().end() ? nullptr : found->second;
    }

    static TObject* LookupTemporary(THandle handle)
    {
        auto found = Temporary().find(handle);
        return found == Temporary().end() ? nullptr : found->second;
    }

    static void AddTemporary(THandle handle, TObject* object) { Temporary()[handle] = object; }

    static bool IsTemporary(THandle handle, const TObject* object)
    {
        auto found = Temporary().find(handle);
        return found != Temporary().end() && found->second == object;
    }

    static void RemoveTemporary(THandle handle, const TObject* object)
    {
        if (IsTemporary(handle, object))
            Temporary().erase(handle);
    }

    // Hands every temporary wrapper of this thread to the caller, which must free it
    // without destroying the handle it does not own.
    static std::vector<TObject*> TakeTemporaries()
    {
        std::vector<TObject*> objects;
        for (auto& entry : Temporary())
            objects.push_back(entry.second);
        Temporary().clear();
        return objects;
    }

    static size_t TemporaryCount() { return Temporary().size(); }

private:
    static std::mutex& Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static std::unordered_map<THandle, TObject*>& Permanent()
    {
        static std::unordered_map<THandle, TObject*> map;
        return map;
    }
    static std::unordered_map<THandle, TObject*>& Temporary()
    {
        static thread_local std::unordered_map<THandle, TObject*> map;
        return map;
    }
};
