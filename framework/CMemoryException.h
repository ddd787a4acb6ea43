// Thrown when memory cannot be had.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CException.h"

class CMemoryException : public CException
{
    DECLARE_DYNAMIC(CMemoryException)
public:
    explicit CMemoryException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
};

// Throws a new CMemoryException (caught as CMemoryException*, freed with Delete()).
[[noreturn]] void AfxThrowMemoryException();
