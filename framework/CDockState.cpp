#include "framework/CDockState.h"
#include "framework/CControlBarInfo.h"
#include "framework/CString.h"
#include "framework/CWinApp.h"

IMPLEMENT_DYNAMIC(CDockState, CObject)

namespace
{
CString SummarySection(LPCTSTR lpszProfileName)
{
    CString strSection;
    strSection.Format("%s-Summary", lpszProfileName);
    return strSection;
}

CSize CurrentScreenSize()
{
    return CSize(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}
} // namespace

CDockState::~CDockState()
{
    Clear();
}

void CDockState::Clear()
{
    for (INT_PTR i = 0; i < m_arrBarInfo.GetSize(); i++)
        delete static_cast<CControlBarInfo*>(m_arrBarInfo.GetAt(i));
    m_arrBarInfo.RemoveAll();
}

CSize CDockState::GetScreenSize()
{
    return m_sizeDevice;
}

void CDockState::SetScreenSize(CSize& size)
{
    m_sizeDevice = size;
    const CSize sizeNow = CurrentScreenSize();
    m_bScaling = size.cx > 0 && size.cy > 0 && (size.cx != sizeNow.cx || size.cy != sizeNow.cy);
}

void CDockState::SaveState(LPCTSTR lpszProfileName)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    int nSaved = 0;
    for (INT_PTR i = 0; i < m_arrBarInfo.GetSize(); i++)
    {
        auto* pInfo = static_cast<CControlBarInfo*>(m_arrBarInfo.GetAt(i));
        if (pInfo->SaveState(lpszProfileName, nSaved))
            nSaved++;
    }
    const CString strSummary = SummarySection(lpszProfileName);
    const CSize sizeScreen = CurrentScreenSize();
    pApp->WriteProfileInt(strSummary, "Bars", nSaved);
    pApp->WriteProfileInt(strSummary, "ScreenCX", sizeScreen.cx);
    pApp->WriteProfileInt(strSummary, "ScreenCY", sizeScreen.cy);
}

void CDockState::LoadState(LPCTSTR lpszProfileName)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return;
    Clear();
    const CString strSummary = SummarySection(lpszProfileName);
    const int nBars = static_cast<int>(pApp->GetProfileInt(strSummary, "Bars", 0));
    CSize sizeSaved(static_cast<int>(pApp->GetProfileInt(strSummary, "ScreenCX", 0)),
                    static_cast<int>(pApp->GetProfileInt(strSummary, "ScreenCY", 0)));
    SetScreenSize(sizeSaved);
    const CSize sizeNow = CurrentScreenSize();

    for (int i = 0; i < nBars; i++)
    {
        auto* pInfo = new CControlBarInfo;
        if (!pInfo->LoadState(lpszProfileName, i))
        {
            delete pInfo;
            continue;
        }
        // Floating frames saved on a larger screen must still be reachable.
        if (m_bScaling && pInfo->m_bFloating)
        {
            pInfo->m_pointPos.x = MulDiv(pInfo->m_pointPos.x, sizeNow.cx, sizeSaved.cx);
            pInfo->m_pointPos.y = MulDiv(pInfo->m_pointPos.y, sizeNow.cy, sizeSaved.cy);
        }
        m_arrBarInfo.Add(pInfo);
    }
}
