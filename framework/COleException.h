// Thrown when an automation call fails; carries the status code it returned.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CException.h"

#include <oleauto.h>

class COleException : public CException
{
    DECLARE_DYNAMIC(COleException)
public:
    explicit COleException(SCODE sc = S_OK, BOOL bAutoDelete = TRUE)
        : CException(bAutoDelete), m_sc(sc) {}

    // The system's text for the status code.
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

    SCODE m_sc;
};

// Throws a new COleException (caught as COleException*, freed with Delete()).
[[noreturn]] void AfxThrowOleException(SCODE sc);
