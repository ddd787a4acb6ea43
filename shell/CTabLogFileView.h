// The "Log Files" tab: every open log file with its columns.
#pragma once
#include "shell/CTreeViewEx.h"

class CTabLogFileView : public CTreeViewEx
{
    DECLARE_DYNCREATE(CTabLogFileView)
public:
    CTabLogFileView();

    void RefreshView() override;
    std::string GetItemTipText(const CTreeItem& item) override;
    void RebuildTree();
    void OnInitialUpdate() override;
};
