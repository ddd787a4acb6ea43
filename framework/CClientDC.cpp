#include "framework/CClientDC.h"

#include "framework/CResourceException.h"
#include "framework/CWnd.h"

IMPLEMENT_DYNAMIC(CClientDC, CDC)

CClientDC::CClientDC(CWnd* pWnd)
{
    m_hWnd = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr;
    if (!Attach(::GetDC(m_hWnd)))
        AfxThrowResourceException();
}

CClientDC::~CClientDC()
{
    // A context from GetDC is released, never deleted.
    ::ReleaseDC(m_hWnd, Detach());
}
