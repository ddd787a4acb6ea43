#include "framework/CUserException.h"

IMPLEMENT_DYNAMIC(CUserException, CException)

int CUserException::ReportError(UINT /*nType*/, UINT /*nHelpId*/)
{
    return 0;
}

void AfxThrowUserException()
{
    throw new CUserException;
}
