#include "wizards/framework/SettingsFile.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CFileException.h"
#include "framework/CMemFile.h"
#include "framework/FileReplace.h"
#include "framework/SystemErrorText.h"

#include <stdexcept>

bool SerializeSettingsFile(CFile* file, UINT mode, const std::function<bool(CArchive&)>& serialize,
                           std::string* refusal)
{
    CArchive ar(file, mode, 4096);
    try
    {
        const bool result = serialize(ar);
        ar.Close();
        return result;
    }
    catch (CArchiveException* e)
    {
        e->Delete();
    }
    catch (CFileException* e)
    {
        // A full disk or a lost network share is a failed save, never a crash.
        e->Delete();
    }
    catch (const std::range_error& e)
    {
        if (refusal != nullptr)
            *refusal = e.what();
    }
    ar.Abort();
    return false;
}

namespace
{
std::string WithoutFullStop(const char* text)
{
    std::string shortened = text;
    if (!shortened.empty() && shortened.back() == '.')
        shortened.pop_back();
    return shortened;
}
}  // namespace

CString SettingsFileFailureText(const char* text, const std::string& refusal)
{
    if (refusal.empty())
        return text;
    return CString((WithoutFullStop(text) + " (" + refusal + ")").c_str());
}

bool SaveSettingsToBytes(const std::function<bool(CFile*)>& save, std::string& bytes)
{
    CMemFile file;
    if (!save(&file))
        return false;
    bytes.resize(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    return bytes.empty() || file.Read(&bytes[0], static_cast<UINT>(bytes.size())) == bytes.size();
}

CString ReplaceSettingsFile(const CString& path, const std::string& bytes, const char* notCreated,
                            const char* notWritten)
{
    bool made = false;
    if (WriteFileReplacing(path, bytes.data(), static_cast<DWORD>(bytes.size()), &made))
        return CString();
    const std::string reason = DiskErrorText(::GetLastError());
    return CString((WithoutFullStop(made ? notWritten : notCreated) + " " + static_cast<LPCTSTR>(path) + " (" +
                    reason + ")").c_str());
}
