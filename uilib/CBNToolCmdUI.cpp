#include "uilib/CBNToolCmdUI.h"

#include "uilib/CBNToolBar.h"

CBNToolCmdUI::CBNToolCmdUI()
{
}

CBNToolBar* CBNToolCmdUI::GetToolBar() const
{
    return static_cast<CBNToolBar*>(m_pOther);
}

void CBNToolCmdUI::Enable(BOOL bOn)
{
    m_bEnableChanged = TRUE;
    CBNToolBar* pToolBar = GetToolBar();
    const int nIndex = static_cast<int>(m_nIndex);
    UINT nStyle = pToolBar->GetButtonStyle(nIndex) & ~TBBS_DISABLED;
    if (!bOn)
        nStyle = (nStyle | TBBS_DISABLED) & ~TBBS_PRESSED;
    pToolBar->SetButtonStyle(nIndex, nStyle);
}

void CBNToolCmdUI::SetCheck(int nCheck)
{
    CBNToolBar* pToolBar = GetToolBar();
    const int nIndex = static_cast<int>(m_nIndex);
    UINT nStyle = pToolBar->GetButtonStyle(nIndex) & ~(TBBS_CHECKED | TBBS_INDETERMINATE);
    if (nCheck == 1)
        nStyle |= TBBS_CHECKED;
    else if (nCheck == 2)
        nStyle |= TBBS_INDETERMINATE;
    pToolBar->SetButtonStyle(nIndex, nStyle | TBBS_CHECKBOX);
}
