// Failure while storing or loading through a CArchive: the cause and the archive's
// file name.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CException.h"
#include "framework/CString.h"

class CArchiveException : public CException
{
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum
    {
        none = 0,
        genericException = 1,
        readOnly = 2,     // written to an archive that loads
        endOfFile = 3,
        writeOnly = 4,    // read from an archive that stores
        badIndex = 5,
        badClass = 6,
        badSchema = 7
    };

    explicit CArchiveException(int cause = none, LPCTSTR lpszArchiveName = nullptr);

    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

    int m_cause;
    CString m_strFileName;
};

// Throws a new CArchiveException (caught as CArchiveException*, freed with Delete()).
[[noreturn]] void AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName = nullptr);
