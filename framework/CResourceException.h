// Thrown when a Windows resource (a kernel object, a window, a resource of the module) cannot be created or loaded.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CException.h"

class CResourceException : public CException
{
    DECLARE_DYNAMIC(CResourceException)
public:
    explicit CResourceException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
};

// Throws a new CResourceException (caught as CResourceException*, freed with Delete()).
[[noreturn]] void AfxThrowResourceException();
