// Failure of a file operation: the cause, the operating system's error code and the
// file's name.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CException.h"
#include "framework/CString.h"

class CFileException : public CException
{
    DECLARE_DYNAMIC(CFileException)
public:
    enum
    {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);

    // The cause that a Win32 error code (GetLastError) stands for.
    static int OsErrorToException(LONG lOsError);

    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

    int m_cause;
    LONG m_lOsError;        // -1 when no operating-system error is known
    CString m_strFileName;
};

// Throws a new CFileException (caught as CFileException*, freed with Delete()).
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);
