#include "loader/LoadFirmwareFile.h"

#include "framework/MessageBoxHook.h"
#include "loader/FirmwareFile.h"

bool LoadFirmwareFile(LPCTSTR path, ProgrammingSettings& settings)
{
    FirmwareFile file;
    CString text;
    if (!file.Open(path)) {
        text.Format("Unable to open file '%s'.\n(%s)", path, static_cast<LPCTSTR>(file.GetErrorText()));
        AfxMessageBox(text, MB_OK | MB_ICONERROR);
        return false;
    }
    const int count = file.Load(settings.headerText, settings.records);
    if (count > 0) {
        settings.productId = static_cast<int>(file.GetProductId());
        file.Close();
        return true;
    }
    // A file without records has nothing to program; its reason stays empty.
    const CString reason = count < 0 ? file.GetErrorText() : CString();
    file.Close();
    // A failed load may have left part of the file behind: none of it may be programmed.
    settings.records.clear();
    text.Format("Unable to load file '%s'.\n(%s)", path, static_cast<LPCTSTR>(reason));
    AfxMessageBox(text, MB_OK | MB_ICONERROR);
    return false;
}
