// The "Devices" tab: every device of the document manager with its variables; Enter on
// a device opens its Modbus debug console.
#pragma once
#include "shell/CTreeViewEx.h"

class CTabDeviceView : public CTreeViewEx
{
    DECLARE_DYNCREATE(CTabDeviceView)
public:
    CTabDeviceView();

    void RefreshView() override;
    std::string GetItemTipText(const CTreeItem& item) override;
    // False when some devices were left unchanged, for a later call: the nodes changed in
    // one go are limited, as each change takes the control a while.
    bool RebuildTree();
    void OnInitialUpdate() override;

protected:
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    DECLARE_MESSAGE_MAP()
};
