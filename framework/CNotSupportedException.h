// Thrown when an operation is not supported by the object it is asked of.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CException.h"

class CNotSupportedException : public CException
{
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    explicit CNotSupportedException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
};

// Throws a new CNotSupportedException (caught as CNotSupportedException*, freed with Delete()).
[[noreturn]] void AfxThrowNotSupportedException();
