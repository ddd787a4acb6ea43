// The base of every setup and warning dialog: a dialog that can also be the program's
// main window (command-line wizard mode) and then shows the program's icon.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"

class CDialogMainWindow : public CDialog
{
    DECLARE_DYNAMIC(CDialogMainWindow)
public:
    // icon may be null: the dialog keeps its default icons.
    CDialogMainWindow(UINT nIDTemplate, CWnd* pParentWnd, HICON icon);

    BOOL OnInitDialog() override;

    HICON GetIcon() const { return m_icon; }

protected:
    HICON m_icon;
};
