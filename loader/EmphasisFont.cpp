#include "loader/EmphasisFont.h"

bool CreateEmphasisFont(const CWnd& dialog, CFont& font)
{
    HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(dialog.GetSafeHwnd(), WM_GETFONT, 0, 0));
    if (dialogFont == nullptr)
        dialogFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA description = {};
    if (::GetObjectA(dialogFont, sizeof description, &description) == 0)
        return false;
    description.lfHeight = static_cast<LONG>(description.lfHeight * 1.4);
    description.lfWeight = FW_BOLD;
    font.DeleteObject();
    return font.CreateFontIndirect(&description) != FALSE;
}
