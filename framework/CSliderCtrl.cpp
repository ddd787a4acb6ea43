#include "framework/CSliderCtrl.h"

#include "framework/CommonControls.h"

IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)

BOOL CSliderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    AfxInitCommonControls();
    return CWnd::Create(TRACKBAR_CLASSA, nullptr, dwStyle, rect, pParentWnd, nID);
}

void CSliderCtrl::SetRange(int nMin, int nMax, BOOL bRedraw)
{
    SetRangeMin(nMin, FALSE);
    SetRangeMax(nMax, bRedraw);
}

void CSliderCtrl::GetRange(int& nMin, int& nMax) const
{
    nMin = GetRangeMin();
    nMax = GetRangeMax();
}

void CSliderCtrl::SetRangeMin(int nMin, BOOL bRedraw)
{
    SendMessage(TBM_SETRANGEMIN, static_cast<WPARAM>(bRedraw), nMin);
}

void CSliderCtrl::SetRangeMax(int nMax, BOOL bRedraw)
{
    SendMessage(TBM_SETRANGEMAX, static_cast<WPARAM>(bRedraw), nMax);
}

int CSliderCtrl::GetRangeMin() const
{
    return static_cast<int>(SendMessage(TBM_GETRANGEMIN));
}

int CSliderCtrl::GetRangeMax() const
{
    return static_cast<int>(SendMessage(TBM_GETRANGEMAX));
}

int CSliderCtrl::GetPos() const
{
    return static_cast<int>(SendMessage(TBM_GETPOS));
}

void CSliderCtrl::SetPos(int nPos)
{
    SendMessage(TBM_SETPOS, TRUE, nPos);
}

void CSliderCtrl::SetTicFreq(int nFreq)
{
    SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(nFreq));
}

BOOL CSliderCtrl::SetTic(int nTic)
{
    return static_cast<BOOL>(SendMessage(TBM_SETTIC, 0, nTic));
}

void CSliderCtrl::ClearTics(BOOL bRedraw)
{
    SendMessage(TBM_CLEARTICS, static_cast<WPARAM>(bRedraw));
}

int CSliderCtrl::SetPageSize(int nSize)
{
    return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, nSize));
}

int CSliderCtrl::SetLineSize(int nSize)
{
    return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, nSize));
}
