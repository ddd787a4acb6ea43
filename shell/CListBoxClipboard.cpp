#include "shell/CListBoxClipboard.h"
#include "framework/CMenu.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageBoxHook.h"
#include "framework/MessageMap.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CListBoxClipboard, CListBox)

BEGIN_MESSAGE_MAP(CListBoxClipboard, CListBox)
    ON_WM_RBUTTONUP()
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
END_MESSAGE_MAP()

CListBoxClipboard::CListBoxClipboard()
{
}

CString CListBoxClipboard::GetAllText() const
{
    CString all;
    const int count = GetCount();
    for (int line = 0; line < count; ++line) {
        CString text;
        GetText(line, text);
        if (!all.IsEmpty())
            all += "\r\n";
        all += text;
    }
    return all;
}

bool CListBoxClipboard::CopyToClipboard()
{
    if (!::OpenClipboard(GetSafeHwnd())) {
        AfxMessageBox("Cannot open the clipboard", MB_ICONSTOP);
        return false;
    }
    if (!::EmptyClipboard()) {
        AfxMessageBox("Cannot empty the clipboard", MB_ICONSTOP);
        ::CloseClipboard();
        return false;
    }
    const CString text = GetAllText();
    const size_t size = static_cast<size_t>(text.GetLength()) + 1;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    void* memory = block != nullptr ? ::GlobalLock(block) : nullptr;
    if (memory == nullptr) {
        if (block != nullptr)
            ::GlobalFree(block);
        AfxMessageBox("Unable to allocate memory for clipboard data", MB_ICONSTOP);
        ::CloseClipboard();
        return false;
    }
    std::memcpy(memory, static_cast<const char*>(text), size);
    ::GlobalUnlock(block);
    if (::SetClipboardData(CF_TEXT, block) == nullptr) {
        AfxMessageBox("Unable to set clipboard data", MB_ICONSTOP);
        ::GlobalFree(block);
        ::CloseClipboard();
        return false;
    }
    ::CloseClipboard();
    return true;
}

void CListBoxClipboard::OnRButtonUp(UINT, CPoint point)
{
    Default();
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    menu.AppendMenu(MF_STRING, ID_EDIT_COPY, "&Copy to Clipboard");
    ClientToScreen(&point);
    menu.TrackPopupMenu(0, point.x, point.y, this);
}

void CListBoxClipboard::OnEditCopy()
{
    CopyToClipboard();
}
