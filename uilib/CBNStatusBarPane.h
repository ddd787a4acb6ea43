// One pane of a status bar as a value: its id, width, style and text, so that the
// panes can be collected, rearranged and handed back to the bar.
#pragma once
#include "framework/CObject.h"
#include "framework/CString.h"
#include "uilib/UiLibExport.h"

class UILIB_API CBNStatusBarPane : public CObject
{
public:
    CBNStatusBarPane() = default;
    CBNStatusBarPane(const CBNStatusBarPane& other);
    CBNStatusBarPane& operator=(const CBNStatusBarPane& other);

    UINT m_nID = 0;
    int m_cxText = 0;     // width of the pane in pixels
    UINT m_nStyle = 0;    // SBPS_ bits
    CString m_strText;
};
