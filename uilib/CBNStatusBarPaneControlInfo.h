// A control window that sits on a status bar pane: the window, the id of its pane and
// whether the status bar owns (and so deletes) the window object.
#pragma once
#include "framework/CObject.h"
#include "framework/CWnd.h"
#include "uilib/UiLibExport.h"

class UILIB_API CBNStatusBarPaneControlInfo : public CObject
{
    DECLARE_DYNCREATE(CBNStatusBarPaneControlInfo)
public:
    CBNStatusBarPaneControlInfo() = default;

    CWnd* m_pWnd = nullptr;
    int m_nPaneID = 0;
    BOOL m_bAutoDelete = TRUE;
};
