// Saved arrangement of a frame's control bars: one CControlBarInfo per bar, written
// to and read from the profile as "<profile>-Bar<n>" sections plus a summary.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"
#include "framework/CPtrArray.h"
#include "framework/CSize.h"

class CDockState : public CObject
{
    DECLARE_DYNAMIC(CDockState)
public:
    CDockState() = default;
    ~CDockState() override;
    CDockState(const CDockState&) = delete;
    CDockState& operator=(const CDockState&) = delete;

    void LoadState(LPCTSTR lpszProfileName);
    void SaveState(LPCTSTR lpszProfileName);
    void Clear();   // deletes the bar records

    // Screen size the state was saved with; positions are scaled to the current one.
    CSize GetScreenSize();
    void SetScreenSize(CSize& size);

    CPtrArray m_arrBarInfo;   // CControlBarInfo*, owned
    DWORD m_dwVersion = 2;
    BOOL m_bScaling = FALSE;
    CSize m_sizeDevice;       // screen size at saving
};
