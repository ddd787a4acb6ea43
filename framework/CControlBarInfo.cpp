#include "framework/CControlBarInfo.h"
#include "framework/CString.h"
#include "framework/CWinApp.h"

namespace
{
CString SectionName(LPCTSTR lpszProfileName, int nIndex)
{
    CString strSection;
    strSection.Format("%s-Bar%d", lpszProfileName, nIndex);
    return strSection;
}

const char kBarID[] = "BarID";
const char kVisible[] = "Visible";
const char kHorz[] = "Horz";
const char kFloating[] = "Floating";
const char kXPos[] = "XPos";
const char kYPos[] = "YPos";
const char kMRUWidth[] = "MRUWidth";
const char kDocking[] = "Docking";
const char kMRUDockID[] = "MRUDockID";
const char kMRUDockLeft[] = "MRUDockLeftPos";
const char kMRUDockTop[] = "MRUDockTopPos";
const char kMRUDockRight[] = "MRUDockRightPos";
const char kMRUDockBottom[] = "MRUDockBottomPos";
const char kMRUFloatStyle[] = "MRUFloatStyle";
const char kMRUFloatX[] = "MRUFloatXPos";
const char kMRUFloatY[] = "MRUFloatYPos";
const char kBars[] = "Bars";
const char kBarFormat[] = "Bar#%d";
} // namespace

BOOL CControlBarInfo::SaveState(LPCTSTR lpszProfileName, int nIndex)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    const CString strSection = SectionName(lpszProfileName, nIndex);
    // Old entries of a longer slot list must not survive.
    pApp->WriteProfileString(strSection, nullptr, nullptr);

    BOOL bOk = pApp->WriteProfileInt(strSection, kBarID, static_cast<int>(m_nBarID));
    bOk = bOk && pApp->WriteProfileInt(strSection, kVisible, m_bVisible ? 1 : 0);
    bOk = bOk && pApp->WriteProfileInt(strSection, kHorz, m_bHorz ? 1 : 0);
    bOk = bOk && pApp->WriteProfileInt(strSection, kFloating, m_bFloating ? 1 : 0);
    bOk = bOk && pApp->WriteProfileInt(strSection, kXPos, m_pointPos.x);
    bOk = bOk && pApp->WriteProfileInt(strSection, kYPos, m_pointPos.y);
    bOk = bOk && pApp->WriteProfileInt(strSection, kMRUWidth, static_cast<int>(m_nMRUWidth));
    bOk = bOk && pApp->WriteProfileInt(strSection, kDocking, m_bDocking ? 1 : 0);
    if (m_bDocking)
    {
        bOk = bOk && pApp->WriteProfileInt(strSection, kMRUDockID, static_cast<int>(m_uMRUDockID));
        bOk = bOk && pApp->WriteProfileInt(strSection, kMRUDockLeft, m_rectMRUDockPos.left);
        bOk = bOk && pApp->WriteProfileInt(strSection, kMRUDockTop, m_rectMRUDockPos.top);
        bOk = bOk && pApp->WriteProfileInt(strSection, kMRUDockRight, m_rectMRUDockPos.right);
        bOk = bOk && pApp->WriteProfileInt(strSection, kMRUDockBottom, m_rectMRUDockPos.bottom);
        bOk = bOk && pApp->WriteProfileInt(strSection, kMRUFloatStyle, static_cast<int>(m_dwMRUFloatStyle));
        bOk = bOk && pApp->WriteProfileInt(strSection, kMRUFloatX, m_ptMRUFloatPos.x);
        bOk = bOk && pApp->WriteProfileInt(strSection, kMRUFloatY, m_ptMRUFloatPos.y);
    }
    if (m_bDockBar)
    {
        bOk = bOk && pApp->WriteProfileInt(strSection, kBars, static_cast<int>(m_arrBarID.GetSize()));
        for (INT_PTR i = 0; i < m_arrBarID.GetSize() && bOk; i++)
        {
            CString strEntry;
            strEntry.Format(kBarFormat, static_cast<int>(i));
            bOk = pApp->WriteProfileInt(strSection, strEntry,
                                        static_cast<int>(reinterpret_cast<UINT_PTR>(m_arrBarID.GetAt(i))));
        }
    }
    return bOk;
}

BOOL CControlBarInfo::LoadState(LPCTSTR lpszProfileName, int nIndex)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    const CString strSection = SectionName(lpszProfileName, nIndex);

    m_nBarID = pApp->GetProfileInt(strSection, kBarID, 0);
    if (m_nBarID == 0)
        return FALSE;   // no such section
    m_bVisible = pApp->GetProfileInt(strSection, kVisible, 1) != 0;
    m_bHorz = pApp->GetProfileInt(strSection, kHorz, 1) != 0;
    m_bFloating = pApp->GetProfileInt(strSection, kFloating, 0) != 0;
    m_pointPos.x = static_cast<int>(pApp->GetProfileInt(strSection, kXPos, -1));
    m_pointPos.y = static_cast<int>(pApp->GetProfileInt(strSection, kYPos, -1));
    m_nMRUWidth = pApp->GetProfileInt(strSection, kMRUWidth, 32767);
    m_bDocking = pApp->GetProfileInt(strSection, kDocking, 0) != 0;
    if (m_bDocking)
    {
        m_uMRUDockID = pApp->GetProfileInt(strSection, kMRUDockID, 0);
        m_rectMRUDockPos.left = static_cast<int>(pApp->GetProfileInt(strSection, kMRUDockLeft, 0));
        m_rectMRUDockPos.top = static_cast<int>(pApp->GetProfileInt(strSection, kMRUDockTop, 0));
        m_rectMRUDockPos.right = static_cast<int>(pApp->GetProfileInt(strSection, kMRUDockRight, 0));
        m_rectMRUDockPos.bottom = static_cast<int>(pApp->GetProfileInt(strSection, kMRUDockBottom, 0));
        m_dwMRUFloatStyle = pApp->GetProfileInt(strSection, kMRUFloatStyle, 0);
        m_ptMRUFloatPos.x = static_cast<int>(pApp->GetProfileInt(strSection, kMRUFloatX, 0));
        m_ptMRUFloatPos.y = static_cast<int>(pApp->GetProfileInt(strSection, kMRUFloatY, 0));
    }

    const int nBars = static_cast<int>(pApp->GetProfileInt(strSection, kBars, 0));
    m_bDockBar = nBars > 0;
    m_arrBarID.RemoveAll();
    for (int i = 0; i < nBars; i++)
    {
        CString strEntry;
        strEntry.Format(kBarFormat, i);
        const UINT nValue = pApp->GetProfileInt(strSection, strEntry, 0);
        m_arrBarID.Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(nValue)));
    }
    return TRUE;
}
