// The library's toolbar: a control bar over the common toolbar control with flat
// buttons, bitmaps in the system's button colours, button texts, drop-down buttons
// with owner-drawn menus, controls placed over buttons, wrapping and sizing for docked
// and floating layouts, and customisation with its layout saved in the registry.
//
// Button style words as GetButtonStyle/SetButtonStyle/GetButtonInfo/SetButtonInfo
// exchange them: the low byte is the control's TBSTYLE_ style, bits 16-23 its TBSTATE_
// state with the enabled bit turned into a disabled bit (the framework's TBBS_ names).
// GetButton and SetButton exchange TBBUTTON records with the state turned the same way.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMapStringToPtr.h"
#include "framework/CObList.h"
#include "framework/CString.h"
#include "framework/CToolBar.h"
#include "uilib/CBNToolBarBase.h"
#include "uilib/UiLibExport.h"

#include <commctrl.h>

#include <vector>

class CImageList;
class CToolTipCtrl;
class CRuntimeClass;

// One customisable button: its TBBUTTON and its text (kept by the caller for the
// bar's life).
struct TOOLBARINFO
{
    TBBUTTON tbButton;
    LPCTSTR btnText;
};

// A button that drops a menu down.
struct DROPDOWNBUTTON
{
    DROPDOWNBUTTON* next;
    UINT idButton;
    UINT idMenu;
};

// The one item of the customisation popup.
#define ID_BNTOOLBAR_CUSTOMIZE 255

class UILIB_API CBNToolBar : public CBNToolBarBase
{
    DECLARE_DYNAMIC(CBNToolBar)
public:
    CBNToolBar();
    ~CBNToolBar() override;

    // --- Creation and resources ---------------------------------------------------------
    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
    // A non-zero control style gives the raised gripper.
    virtual BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                          CRect rcBorders = CRect(0, 0, 0, 0), UINT nID = AFX_IDW_TOOLBAR);
    // Buttons, sizes and the bitmap of the same name; with a customisation table (one
    // entry per button) the bar becomes adjustable and its saved layout comes back.
    BOOL LoadToolBar(LPCTSTR lpszResourceName, TOOLBARINFO* pInfo = nullptr);
    BOOL LoadToolBar(UINT nIDResource, TOOLBARINFO* pInfo = nullptr);
    BOOL LoadBitmapA(LPCTSTR lpszResourceName);
    BOOL LoadBitmapA(UINT nIDResource);
    BOOL SetBitmap(HBITMAP hbmImageWell);
    BOOL AddReplaceBitmap(HBITMAP hbmImageWell);
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);
    void SetHeight(int cyHeight);
    void SetOwner(CWnd* pOwnerWnd);

    BOOL SetButtonText(int nIndex, LPCTSTR lpszText);
    CString GetButtonText(int nIndex) const;
    void GetButtonText(int nIndex, CString& rString) const;

    BOOL AddDropDownButton(UINT nIDButton, UINT nIDMenu, BOOL bArrow);
    DROPDOWNBUTTON* FindDropDownButton(UINT nID) const;

    // Turns the button of nID into a place for the window and puts it there.
    CWnd* InsertControl(CWnd* pCtrl, CRect& rect, UINT nID);
    // Creates the control first (flat or font combo box, combo box, edit, button, or
    // any other window class); the bar owns it. NULL for another class or a failure.
    CWnd* InsertControl(CRuntimeClass* pClass, LPCTSTR lpszTitle, CRect& rect, UINT nID, DWORD dwStyle);

    void SaveState();
    void RestoreState();

    // --- Buttons ----------------------------------------------------------------------
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    virtual void GetItemRect(int nIndex, LPRECT lpRect);
    BOOL GetButton(int nIndex, TBBUTTON* pButton) const;
    BOOL SetButton(int nIndex, TBBUTTON* pButton);
    UINT GetButtonStyle(int nIndex) const;
    void SetButtonStyle(int nIndex, UINT nStyle);
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);

    // --- One message each -------------------------------------------------------------
    BOOL EnableButton(int nID, BOOL bEnable = TRUE);
    BOOL CheckButton(int nID, BOOL bCheck = TRUE);
    BOOL PressButton(int nID, BOOL bPress = TRUE);
    BOOL HideButton(int nID, BOOL bHide = TRUE);
    BOOL Indeterminate(int nID, BOOL bIndeterminate = TRUE);
    BOOL IsButtonEnabled(int nID) const;
    BOOL IsButtonChecked(int nID) const;
    BOOL IsButtonPressed(int nID) const;
    BOOL IsButtonHidden(int nID) const;
    BOOL IsButtonIndeterminate(int nID) const;
    BOOL SetState(int nID, UINT nState);
    int GetState(int nID) const;
    BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons);
    BOOL InsertButton(int nIndex, LPTBBUTTON lpButton);
    BOOL DeleteButton(int nIndex);
    int GetButtonCount() const;
    void Customize();
    int AddStrings(LPCTSTR lpszStrings);
    void SetButtonStructSize(int nSize);
    BOOL SetButtonSize(CSize size);
    BOOL SetBitmapSize(CSize size);
    void AutoSize();
    CToolTipCtrl* GetToolTips() const;
    void SetToolTips(CToolTipCtrl* pTip);
    void SetRows(int nRows, BOOL bLarger, LPRECT lpRect);
    int GetRows() const;
    BOOL SetCmdID(int nIndex, UINT nID);
    UINT GetBitmapFlags() const;
    BOOL SetIndent(int iIndent);
    CImageList* GetImageList() const;
    CImageList* SetImageList(CImageList* pImageList);
    int GetBitmap(int nID) const;
    DWORD SetExtendedStyle(DWORD dwExStyle);
    BOOL GetRect(int nID, LPRECT lpRect) const;
    DWORD GetToolbarStyle() const;
    void SetToolbarStyle(DWORD dwStyle);
    int GetHotItem() const;
    int SetHotItem(int nHot);
    BOOL MapAccelerator(TCHAR chAccel, UINT* pIDBtn);
    int HitTest(CPoint point) const;
    CSize GetPadding() const;
    CSize SetPadding(CSize size);
    LRESULT SendMessageC(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // --- Layout -----------------------------------------------------------------------
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFO* pTI) const override;
    void OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle) override;
    // Invalidates where the bar was, in the parent and the siblings it covered.
    virtual void InvalidateOldPos(const CRect& rectOld);
    // The size of a button in the layout; wrapped separators and drop-down buttons
    // count differently, by the common-controls version.
    virtual CSize GetButtonSize(TBBUTTON* pData, int iButton);
    virtual void OnDropDownButton(const NMTOOLBAR& nmtb, UINT nID, CRect rect);

    // Rows of buttons that fit a width: sets the wrap flags, returns the row count.
    int WrapToolBar(TBBUTTON* pData, int nCount, int nWidth);
    // Width (and height) of the buttons as wrapped.
    CSize CalcSize(TBBUTTON* pData, int nCount);
    // Wraps the buttons for a length along the bar: a width, or a height with bVert.
    void SizeToolBar(TBBUTTON* pData, int nCount, int nLength, BOOL bVert = FALSE);
    CSize CalcLayout(DWORD dwMode, int nLength = -1);
    // Commits the layout when it is dirty.
    void Layout();

    // The common-controls version: major in the high word, minor in the low word
    // (0x40047 is 4.71); measured at the first creation.
    static int GetComCtlVersion();
    static int m_nBarNumber;

    CSize GetButtonSizeSetting() const;
    CSize GetImageSizeSetting() const;
    BOOL IsLayoutDirty() const;
    const CString& GetRegistryKey() const;
    const CString& GetRegistryValueName() const;
    void SetRegistryState(HKEY hKeyRoot, LPCTSTR lpszKey, LPCTSTR lpszValueName);
    INT_PTR GetInsertedControlCount() const;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Handles a message with TBSTYLE_FLAT and TBSTYLE_TRANSPARENT in the window style
    // (newer common controls draw flat bars without borders only so).
    LRESULT OnPreserveZeroBorderHelper(WPARAM wParam, LPARAM lParam);

    TOOLBARINFO* m_pCustomInfo;
    int m_nCustomCount;
    CObList* m_pControls;
    BYTE m_bDropDownKeepWidth;
    HINSTANCE m_hInstImageWell;
    HRSRC m_hRsrcImageWell;
    HBITMAP m_hbmImageWell;
    BOOL m_bDelayedButtonLayout;
    CRect m_rcOldPos;
    HKEY m_hKeyRoot;
    CString m_strSubKey;
    CString m_strValueName;
    CSize m_sizeImage;
    CSize m_sizeButton;
    DROPDOWNBUTTON* m_pDropDownButtons;
    CMapStringToPtr* m_pStringMap;
    // While a saved layout is restored: the buttons the bar had, which the control asks
    // for by command one at a time.
    std::vector<TBBUTTON>* m_pRestoreSource;

    static int s_nComCtlVersion;

    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSysColorChange();
    afx_msg void OnDestroy();
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg LRESULT OnSetButtonSize(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetBitmapSize(WPARAM wParam, LPARAM lParam);
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpWndPos);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpWndPos);
    afx_msg BOOL OnNcCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnNcPaint();
    afx_msg void OnPaint();
    afx_msg void OnDropDown(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnToolBarChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnQueryChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnReset(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnEndAdjust(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnGetButtonInfo(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnRestoreButton(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnNotifyIgnored(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // The frame the bar's menus and layout changes belong to.
    CWnd* MenuOwner() const;
    void LoadSysColorImageWell();
};
