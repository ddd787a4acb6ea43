#include "framework/CWindowDC.h"

#include "framework/CResourceException.h"
#include "framework/CWnd.h"

IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CWindowDC::CWindowDC(CWnd* pWnd)
{
    m_hWnd = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr;
    if (!Attach(::GetWindowDC(m_hWnd)))
        AfxThrowResourceException();
}

CWindowDC::~CWindowDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}
