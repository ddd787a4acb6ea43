// Binary file over a Win32 handle. Failures throw CFileException with the Win32
// error mapped to a cause; reading at the end of the file returns 0 bytes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"
#include "framework/CString.h"

class CFileException;

class CFile : public CObject
{
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,      // treated as shareExclusive
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,   // with modeCreate: open an existing file as it is
        typeText = 0x4000,         // accepted and ignored: CFile is always binary
        typeBinary = 0x8000
    };

    enum SeekPosition
    {
        begin = 0x0,
        current = 0x1,
        end = 0x2
    };

    static const HANDLE hFileNull;

    CFile();
    // Opens the file; throws CFileException on failure.
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;

    // FALSE on failure, with the details in pError when given.
    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual void Close();
    // Closes without throwing, whatever the state.
    virtual void Abort();

    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin();
    ULONGLONG SeekToEnd();
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    // Cuts or extends the file (new bytes are zero); a position beyond the new end
    // moves to the end, any other stays.
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();

    // "C:\dir\name.ext" gives "name.ext", "C:\dir\name.ext" and "name".
    virtual CString GetFileName() const;
    virtual CString GetFilePath() const;
    virtual CString GetFileTitle() const;

    HANDLE m_hFile;

protected:
    // Throws a CFileException for the Win32 error code.
    [[noreturn]] void ThrowOsError(DWORD osError) const;

    CString m_strFileName;   // full path of the open file
    BOOL m_bCloseOnDelete;
};
