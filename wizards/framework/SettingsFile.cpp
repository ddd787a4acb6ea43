#include "wizards/framework/SettingsFile.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CFileException.h"

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

CString SettingsFileFailureText(const char* text, const std::string& refusal)
{
    if (refusal.empty())
        return text;
    std::string failure = text;
    if (!failure.empty() && failure.back() == '.')
        failure.pop_back();
    return CString((failure + " (" + refusal + ")").c_str());
}
