#include "wizards/framework/SettingsFile.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CFileException.h"

bool SerializeSettingsFile(CFile* file, UINT mode, const std::function<bool(CArchive&)>& serialize)
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
    ar.Abort();
    return false;
}
