// Shared by the generic-device tests: a running document manager whose two recording
// documents keep the value items of the dispatcher's two queues, and scratch files.
#pragma once
#include "displays/CDocumentDisplay.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "documents/CPlotItemSimpleValue.h"
#include "framework/CCriticalSection.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace generic_device_testing {

typedef boost::shared_ptr<CPlotItemSimpleValue> ValueItemPtr;

// The value items one queue delivered, on the dispatch thread.
class ValueRecorder
{
public:
    void Take(const CStoragePtr& item);
    std::vector<ValueItemPtr> From(int sourceId);
    // The newest value of the variable from the source; empty when none came.
    ValueItemPtr Latest(int sourceId, int variableId);

private:
    CCriticalSection m_lock;
    std::vector<ValueItemPtr> m_values;
};

template <class Document>
class Recording : public Document
{
public:
    explicit Recording(ValueRecorder& recorder) : m_recorder(recorder) {}
    bool OnStorage(const CStoragePtr& item) override
    {
        m_recorder.Take(item);
        return false;
    }

private:
    ValueRecorder& m_recorder;
};

// A device takes no values from the first queue unless it asks for them, as this one does.
class ValueRecordingDevice : public Recording<CDocumentDevice>
{
public:
    using Recording<CDocumentDevice>::Recording;
    bool TakesItemsOf(DWORD) override { return true; }
};

struct RecordingManager
{
    RecordingManager();
    ~RecordingManager() { manager.reset(); }   // the dispatch thread ends before the recorders go

    std::unique_ptr<CDocumentManager> manager;
    ValueRecorder devices;    // first queue
    ValueRecorder displays;   // second queue
};

// Polls every 20 ms until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
std::wstring Widen(const std::string& text);
std::string VariantText(const VARIANT& value);

// A file in a folder of the build tree of its own; removed with the object.
class ScratchFile
{
public:
    ScratchFile(const std::string& name, const std::string& content);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return m_path; }
    std::wstring WidePath() const { return Widen(m_path); }
    std::wstring Folder() const { return Widen(m_folder); }

private:
    std::string m_folder;
    std::string m_path;
};

} // namespace generic_device_testing
