#include "framework/CNotSupportedException.h"

IMPLEMENT_DYNAMIC(CNotSupportedException, CException)

BOOL CNotSupportedException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyErrorText("An unsupported operation was attempted.", lpszError, nMaxError, pnHelpContext);
}

void AfxThrowNotSupportedException()
{
    throw new CNotSupportedException;
}
