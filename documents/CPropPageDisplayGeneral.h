// The "Plot Items" page of a display: its variables in order; removed rows leave the
// display only when the sheet is applied.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CListCtrl.h"
#include "framework/CPropertyPage.h"

#include <vector>

class CTreeItem;

class CDocumentDisplay;

class CPropPageDisplayGeneral : public CPropertyPage
{
    DECLARE_DYNCREATE(CPropPageDisplayGeneral)
public:
    explicit CPropPageDisplayGeneral(CDocumentDisplay* display = nullptr);
    ~CPropPageDisplayGeneral() override;

    BOOL OnApply() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnRemove();

    DECLARE_MESSAGE_MAP()

private:
    CDocumentDisplay* m_display;
    CListCtrl m_itemList;
    // The display's items as the page opened; each row's item data points at one.
    std::vector<CTreeItem*> m_rowItems;
};
