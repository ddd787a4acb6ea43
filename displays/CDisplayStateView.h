// The State display's view: a four-column list (device, variable, value, units) that asks
// the document for its texts as it draws them, repaints the rows whose values changed and
// takes the row count again when the variables change.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CListCtrl.h"
#include "shell/CViewEx.h"

#include <vector>

class CDisplayStateDoc;

class CDisplayStateView : public CViewEx
{
    DECLARE_DYNCREATE(CDisplayStateView)
public:
    CDisplayStateView();

    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr) override;
    void OnInitialUpdate() override;

    CDisplayStateDoc* GetStateDocument() const;
    CListCtrl& GetList() { return m_list; }
    void Rebuild();

protected:
    void OnDraw(CDC* pDC) override;
    afx_msg LRESULT OnDisplayRebuild(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDisplayUpdate(WPARAM wParam, LPARAM lParam);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetInfoTip(NMHDR* header, LRESULT* result);
    afx_msg void OnCustomDraw(NMHDR* header, LRESULT* result);
    afx_msg void OnGetDispInfo(NMHDR* header, LRESULT* result);

    DECLARE_MESSAGE_MAP()

private:
    void InvalidateShownRows(const std::vector<int>& rows);

    CListCtrl m_list;
};
