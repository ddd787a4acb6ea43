#include "framework/CPaintDC.h"

#include "framework/CResourceException.h"
#include "framework/CWnd.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CPaintDC, CDC)

CPaintDC::CPaintDC(CWnd* pWnd)
{
    std::memset(&m_ps, 0, sizeof(m_ps));
    m_hWnd = pWnd->GetSafeHwnd();
    if (!Attach(::BeginPaint(m_hWnd, &m_ps)))
        AfxThrowResourceException();
}

CPaintDC::~CPaintDC()
{
    // EndPaint releases the context, so the base must not delete it.
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}
