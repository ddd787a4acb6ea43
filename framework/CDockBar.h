// The strip along one side of a frame (or inside a floating mini frame) on which
// control bars dock. Bars are kept in slots: a null slot is a row break, a small
// integer slot is the id of a bar that left for a while (a placeholder that brings
// it back to the same place).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CControlBar.h"
#include "framework/CPtrArray.h"

class CDockBar : public CControlBar
{
    DECLARE_DYNAMIC(CDockBar)
public:
    explicit CDockBar(BOOL bFloating = FALSE);
    ~CDockBar() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);

    // Slots. A slot holds a bar, nullptr (row break) or a placeholder id.
    static BOOL IsPlaceHolder(void* pSlot) { return pSlot != nullptr && reinterpret_cast<UINT_PTR>(pSlot) <= 0xFFFF; }
    CControlBar* GetDockedControlBar(int nPos) const;
    int GetDockedCount() const;
    int GetDockedVisibleCount() const;
    int FindBar(CControlBar* pBar, int nPosExclude = -1) const;
    int FindPlaceHolder(UINT nBarID) const;

    // Docks the bar at the place nearest lpRect (screen), or at the end.
    void DockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
    // Takes the bar out; with nAddPlaceHolder its id stays as a placeholder
    // (1: in its slot, -1: at the end). Returns TRUE when a row became empty.
    BOOL RemoveControlBar(CControlBar* pBar, int nPosExclude = -1, int nAddPlaceHolder = 0);
    void RemovePlaceHolder(UINT nBarID);
    // Brings a bar back to its placeholder, or docks it as new when there is none.
    void ReDockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
    void ShowAll(BOOL bShow);
    // Drops row breaks that follow another row break, keeping the leading one.
    void CompactRows();

    // TRUE when a bar dropped on rect (screen) lands here: the window rectangle,
    // widened to at least a pixel each way (an empty dock bar is a line), meets it.
    BOOL IsUnderRect(const CRect& rect) const;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    void DoPaint(CDC* pDC) override;
    BOOL IsDockBar() const override { return TRUE; }
    void GetBarInfo(CControlBarInfo* pInfo) override;

    // Puts the bar into the slot its rectangle (client co-ordinates) points at: into
    // the row whose bars cover ptMid across, before the first bar that starts after
    // it, or into a new row before or after the others. Returns the slot index.
    int Insert(CControlBar* pBar, CRect rect, CPoint ptMid);

    CPtrArray m_arrBars;   // slot 0 is always a row break
    BOOL m_bFloating;
    BOOL m_bLayoutQuery = FALSE;   // a query pass is running: nothing moves

protected:
    // How far the bar after this one (cx: horizontally, cy: vertically) reaches back
    // over it in the layout, so that neighbouring bars share their borders.
    virtual CSize GetBarOverlap(CControlBar* pBar) const;

    // Takes the bar from wherever it is docked now into this dock bar (slot nPos
    // already holds it): style, parent and the old dock bar's slot.
    void AttachBar(CControlBar* pBar, int nPos);

    CRect m_rectLayout;   // what the frame offered in the last layout pass

    LRESULT OnSizeParentDock(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
