// Saved state of one control bar: where it was, whether docked, floating or hidden;
// for a dock bar the ids (and placeholders) of its slots.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPoint.h"
#include "framework/CRect.h"
#include "framework/CPtrArray.h"

class CControlBar;

class CControlBarInfo
{
public:
    CControlBarInfo() = default;

    BOOL LoadState(LPCTSTR lpszProfileName, int nIndex);
    BOOL SaveState(LPCTSTR lpszProfileName, int nIndex);

    UINT m_nBarID = 0;
    BOOL m_bVisible = FALSE;
    BOOL m_bFloating = FALSE;
    BOOL m_bHorz = FALSE;
    BOOL m_bDockBar = FALSE;
    CPoint m_pointPos = CPoint(-1, -1);   // top-left; for floating bars the mini frame's
    UINT m_nMRUWidth = 32767;
    BOOL m_bDocking = FALSE;              // a docking context existed
    UINT m_uMRUDockID = 0;
    CRect m_rectMRUDockPos;
    DWORD m_dwMRUFloatStyle = 0;
    CPoint m_ptMRUFloatPos;
    CPtrArray m_arrBarID;   // dock bars: slot contents as ids, 0 = row break,
                            // ids with the high bit set are placeholders
    CControlBar* m_pBar = nullptr;   // bound while the state is applied
};
