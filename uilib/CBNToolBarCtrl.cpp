#include "uilib/CBNToolBarCtrl.h"

#include "framework/CImageList.h"

namespace
{
CImageList* ImageListOf(LRESULT lResult)
{
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(lResult));
}

LPARAM HandleOf(CImageList* pImageList)
{
    return reinterpret_cast<LPARAM>(pImageList != nullptr ? pImageList->GetSafeHandle() : nullptr);
}
} // namespace

CBNToolBarCtrl::CBNToolBarCtrl()
{
}

CBNToolBarCtrl::CBNToolBarCtrl(HWND hWnd) : CWnd(hWnd)
{
}

// A wrapped handle is not the object's own: the window stays.
CBNToolBarCtrl::~CBNToolBarCtrl()
{
}

CSize CBNToolBarCtrl::GetButtonSize() const
{
    const DWORD dwSize = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
    return CSize(LOWORD(dwSize), HIWORD(dwSize));
}

CImageList* CBNToolBarCtrl::GetImageList() const
{
    return ImageListOf(SendMessage(TB_GETIMAGELIST));
}

CImageList* CBNToolBarCtrl::SetImageList(CImageList* pImageList)
{
    return ImageListOf(SendMessage(TB_SETIMAGELIST, 0, HandleOf(pImageList)));
}

CImageList* CBNToolBarCtrl::GetHotImageList() const
{
    return ImageListOf(SendMessage(TB_GETHOTIMAGELIST));
}

CImageList* CBNToolBarCtrl::SetHotImageList(CImageList* pImageList)
{
    return ImageListOf(SendMessage(TB_SETHOTIMAGELIST, 0, HandleOf(pImageList)));
}

CImageList* CBNToolBarCtrl::GetDisabledImageList() const
{
    return ImageListOf(SendMessage(TB_GETDISABLEDIMAGELIST));
}

CImageList* CBNToolBarCtrl::SetDisabledImageList(CImageList* pImageList)
{
    return ImageListOf(SendMessage(TB_SETDISABLEDIMAGELIST, 0, HandleOf(pImageList)));
}

int CBNToolBarCtrl::GetMaxTextRows() const
{
    return static_cast<int>(SendMessage(TB_GETTEXTROWS));
}

BOOL CBNToolBarCtrl::SetMaxTextRows(int iMaxRows)
{
    return static_cast<BOOL>(SendMessage(TB_SETMAXTEXTROWS, static_cast<WPARAM>(iMaxRows)));
}

BOOL CBNToolBarCtrl::IsButtonHighlighted(int nID) const
{
    return static_cast<BOOL>(SendMessage(TB_ISBUTTONHIGHLIGHTED, static_cast<WPARAM>(nID)));
}

BOOL CBNToolBarCtrl::SetButtonWidth(int cxMin, int cxMax)
{
    return static_cast<BOOL>(SendMessage(TB_SETBUTTONWIDTH, 0, MAKELPARAM(cxMin, cxMax)));
}

int CBNToolBarCtrl::GetButtonInfo(int nID, TBBUTTONINFO* ptbbi) const
{
    return static_cast<int>(SendMessage(TB_GETBUTTONINFO, static_cast<WPARAM>(nID), reinterpret_cast<LPARAM>(ptbbi)));
}

BOOL CBNToolBarCtrl::SetButtonInfo(int nID, TBBUTTONINFO* ptbbi)
{
    return static_cast<BOOL>(SendMessage(TB_SETBUTTONINFO, static_cast<WPARAM>(nID), reinterpret_cast<LPARAM>(ptbbi)));
}

DWORD CBNToolBarCtrl::SetDrawTextFlags(DWORD dwMask, DWORD dwDTFlags)
{
    return static_cast<DWORD>(SendMessage(TB_SETDRAWTEXTFLAGS, dwMask, dwDTFlags));
}

BOOL CBNToolBarCtrl::GetAnchorHighlight() const
{
    return static_cast<BOOL>(SendMessage(TB_GETANCHORHIGHLIGHT));
}

BOOL CBNToolBarCtrl::SetAnchorHighlight(BOOL fAnchor)
{
    return static_cast<BOOL>(SendMessage(TB_SETANCHORHIGHLIGHT, static_cast<WPARAM>(fAnchor)));
}

int CBNToolBarCtrl::GetHotItem() const
{
    return static_cast<int>(SendMessage(TB_GETHOTITEM));
}

int CBNToolBarCtrl::SetHotItem(int nHot)
{
    return static_cast<int>(SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(nHot)));
}

void CBNToolBarCtrl::GetInsertMark(TBINSERTMARK* ptbim) const
{
    SendMessage(TB_GETINSERTMARK, 0, reinterpret_cast<LPARAM>(ptbim));
}

void CBNToolBarCtrl::SetInsertMark(TBINSERTMARK* ptbim)
{
    SendMessage(TB_SETINSERTMARK, 0, reinterpret_cast<LPARAM>(ptbim));
}

BOOL CBNToolBarCtrl::GetMaxSize(LPSIZE pSize) const
{
    return static_cast<BOOL>(SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(pSize)));
}

BOOL CBNToolBarCtrl::InsertMarkHitTest(LPPOINT ppt, LPTBINSERTMARK ptbim) const
{
    return static_cast<BOOL>(SendMessage(TB_INSERTMARKHITTEST, reinterpret_cast<WPARAM>(ppt),
                                         reinterpret_cast<LPARAM>(ptbim)));
}

DWORD CBNToolBarCtrl::GetExtendedStyle() const
{
    return static_cast<DWORD>(SendMessage(TB_GETEXTENDEDSTYLE));
}

DWORD CBNToolBarCtrl::SetExtendedStyle(DWORD dwExStyle)
{
    return static_cast<DWORD>(SendMessage(TB_SETEXTENDEDSTYLE, 0, dwExStyle));
}

COLORREF CBNToolBarCtrl::GetInsertMarkColor() const
{
    return static_cast<COLORREF>(SendMessage(TB_GETINSERTMARKCOLOR));
}

COLORREF CBNToolBarCtrl::SetInsertMarkColor(COLORREF clrNew)
{
    return static_cast<COLORREF>(SendMessage(TB_SETINSERTMARKCOLOR, 0, clrNew));
}

BOOL CBNToolBarCtrl::MapAccelerator(TCHAR chAccel, UINT* pIDBtn)
{
    return static_cast<BOOL>(SendMessage(TB_MAPACCELERATOR, static_cast<WPARAM>(static_cast<BYTE>(chAccel)),
                                         reinterpret_cast<LPARAM>(pIDBtn)));
}

BOOL CBNToolBarCtrl::MarkButton(int nID, BOOL bHighlight)
{
    return static_cast<BOOL>(SendMessage(TB_MARKBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bHighlight, 0)));
}

BOOL CBNToolBarCtrl::MoveButton(UINT nOldPos, UINT nNewPos)
{
    return static_cast<BOOL>(SendMessage(TB_MOVEBUTTON, nOldPos, nNewPos));
}

int CBNToolBarCtrl::HitTest(LPPOINT ppt) const
{
    return static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(ppt)));
}

DWORD CBNToolBarCtrl::GetStyle() const
{
    return static_cast<DWORD>(SendMessage(TB_GETSTYLE));
}

void CBNToolBarCtrl::SetStyle(DWORD dwStyle)
{
    SendMessage(TB_SETSTYLE, 0, dwStyle);
}

BOOL CBNToolBarCtrl::SetIndent(int iIndent)
{
    return static_cast<BOOL>(SendMessage(TB_SETINDENT, static_cast<WPARAM>(iIndent)));
}
