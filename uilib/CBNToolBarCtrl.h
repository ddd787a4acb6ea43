// A thin view of a toolbar control: each member sends the control one message and
// returns its answer. Wraps a handle without owning it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"
#include "uilib/UiLibExport.h"

#include <commctrl.h>

class CImageList;

class UILIB_API CBNToolBarCtrl : public CWnd
{
public:
    CBNToolBarCtrl();
    explicit CBNToolBarCtrl(HWND hWnd);
    ~CBNToolBarCtrl() override;

    CSize GetButtonSize() const;
    CImageList* GetImageList() const;
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* GetHotImageList() const;
    CImageList* SetHotImageList(CImageList* pImageList);
    CImageList* GetDisabledImageList() const;
    CImageList* SetDisabledImageList(CImageList* pImageList);
    int GetMaxTextRows() const;
    BOOL SetMaxTextRows(int iMaxRows);
    BOOL IsButtonHighlighted(int nID) const;
    BOOL SetButtonWidth(int cxMin, int cxMax);
    int GetButtonInfo(int nID, TBBUTTONINFO* ptbbi) const;
    BOOL SetButtonInfo(int nID, TBBUTTONINFO* ptbbi);
    DWORD SetDrawTextFlags(DWORD dwMask, DWORD dwDTFlags);
    BOOL GetAnchorHighlight() const;
    BOOL SetAnchorHighlight(BOOL fAnchor = TRUE);
    int GetHotItem() const;
    int SetHotItem(int nHot);
    void GetInsertMark(TBINSERTMARK* ptbim) const;
    void SetInsertMark(TBINSERTMARK* ptbim);
    BOOL GetMaxSize(LPSIZE pSize) const;
    BOOL InsertMarkHitTest(LPPOINT ppt, LPTBINSERTMARK ptbim) const;
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD dwExStyle);
    COLORREF GetInsertMarkColor() const;
    COLORREF SetInsertMarkColor(COLORREF clrNew);
    BOOL MapAccelerator(TCHAR chAccel, UINT* pIDBtn);
    BOOL MarkButton(int nID, BOOL bHighlight = TRUE);
    BOOL MoveButton(UINT nOldPos, UINT nNewPos);
    int HitTest(LPPOINT ppt) const;
    DWORD GetStyle() const;
    void SetStyle(DWORD dwStyle);
    BOOL SetIndent(int iIndent);
};
