// Stops an operation after the user has already been told why; reporting it shows nothing more.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CException.h"

class CUserException : public CException
{
    DECLARE_DYNAMIC(CUserException)
public:
    explicit CUserException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    int ReportError(UINT nType = MB_OK, UINT nHelpId = 0) override;
};

// Throws a new CUserException (caught as CUserException*, freed with Delete()).
[[noreturn]] void AfxThrowUserException();
