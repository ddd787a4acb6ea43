#include "tests/documents/GenericDeviceFixtures.h"

#include "framework/CSingleLock.h"
#include "tests/support/FileText.h"
#include "tests/support/TestPaths.h"
#include "tests/support/Polling.h"

namespace generic_device_testing {

void ValueRecorder::Take(const CStoragePtr& item)
{
    if (!item || item->GetType() != STORAGE_TYPE_SIMPLE_VALUE)
        return;
    CSingleLock lock(&m_lock, TRUE);
    m_values.push_back(boost::static_pointer_cast<CPlotItemSimpleValue>(item));
}

std::vector<ValueItemPtr> ValueRecorder::From(int sourceId)
{
    CSingleLock lock(&m_lock, TRUE);
    std::vector<ValueItemPtr> values;
    for (const ValueItemPtr& value : m_values)
        if (value->GetSourceId() == sourceId)
            values.push_back(value);
    return values;
}

ValueItemPtr ValueRecorder::Latest(int sourceId, int variableId)
{
    const std::vector<ValueItemPtr> values = From(sourceId);
    for (auto value = values.rbegin(); value != values.rend(); ++value)
        if (static_cast<int>((*value)->GetVariableId()) == variableId)
            return *value;
    return ValueItemPtr();
}

RecordingManager::RecordingManager() : manager(new CDocumentManager)
{
    manager->AddDevice(CDocumentDevicePtr(new ValueRecordingDevice(devices)));
    manager->AddDisplay(CDocumentDisplayPtr(new Recording<CDocumentDisplay>(displays)));
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    return testing_support::PollUntil(condition, timeoutMs);
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string VariantText(const VARIANT& value)
{
    if (value.vt != VT_BSTR || value.bstrVal == nullptr)
        return "(not a text)";
    const std::wstring wide(value.bstrVal, SysStringLen(value.bstrVal));
    return std::string(wide.begin(), wide.end());
}

ScratchFile::ScratchFile(const std::string& name, const std::string& content)
{
    static int s_count = 0;
    m_folder = testing_support::BuildPath("tests/documents/generic-" + testing_support::ProcessTag() + "-"
                                          + std::to_string(++s_count));
    testing_support::EnsureDirectory(m_folder);
    m_path = m_folder + "\\" + name;
    testing_support::WriteFileText(m_path, content);
}

ScratchFile::~ScratchFile()
{
    DeleteFileA(m_path.c_str());
    RemoveDirectoryA(m_folder.c_str());
}

} // namespace generic_device_testing
