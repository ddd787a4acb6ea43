#include "framework/CMemoryException.h"

IMPLEMENT_DYNAMIC(CMemoryException, CException)

BOOL CMemoryException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyErrorText("Out of memory.", lpszError, nMaxError, pnHelpContext);
}

void AfxThrowMemoryException()
{
    throw new CMemoryException;
}
