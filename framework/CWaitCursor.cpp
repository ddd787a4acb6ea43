#include "framework/CWaitCursor.h"

CWaitCursor::CWaitCursor()
{
    m_hPreviousCursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
}

CWaitCursor::~CWaitCursor()
{
    ::SetCursor(m_hPreviousCursor);
}

void CWaitCursor::Restore()
{
    ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
}
