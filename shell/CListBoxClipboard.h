// A list box whose lines can be copied to the clipboard from its context menu (the
// debug console's output, the programming pages' progress lists).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CListBox.h"
#include "framework/CString.h"

class CListBoxClipboard : public CListBox
{
    DECLARE_DYNAMIC(CListBoxClipboard)
public:
    CListBoxClipboard();

    // All lines in order, joined by CR LF.
    CString GetAllText() const;
    // Puts GetAllText on the clipboard as plain text; each failing step is reported in
    // a stop box and the clipboard is left closed. True on success.
    bool CopyToClipboard();

protected:
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnEditCopy();

    DECLARE_MESSAGE_MAP()
};
