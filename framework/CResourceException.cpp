#include "framework/CResourceException.h"

IMPLEMENT_DYNAMIC(CResourceException, CException)

BOOL CResourceException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyErrorText("A required resource was unavailable.", lpszError, nMaxError, pnHelpContext);
}

void AfxThrowResourceException()
{
    throw new CResourceException;
}
