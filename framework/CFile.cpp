#include "framework/CFile.h"
#include "framework/CFileException.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile()
    : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags)
    : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile()
{
    // A destructor must not throw: errors on this last close are dropped.
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort();
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    if (m_hFile != hFileNull)
        Abort();
    m_strFileName.Empty();

    DWORD access = 0;
    switch (nOpenFlags & 3)
    {
    case modeRead:
        access = GENERIC_READ;
        break;
    case modeWrite:
        access = GENERIC_WRITE;
        break;
    default:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    }

    DWORD shareMode = 0;
    switch (nOpenFlags & 0x70)
    {
    case shareDenyWrite:
        shareMode = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        shareMode = FILE_SHARE_WRITE;
        break;
    case shareDenyNone:
        shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    default:   // shareCompat, shareExclusive
        shareMode = 0;
        break;
    }

    DWORD creation = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        creation = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof(security);
    security.bInheritHandle = (nOpenFlags & modeNoInherit) ? FALSE : TRUE;

    // The full path names the file in messages even after the current directory changes.
    const char* name = lpszFileName != nullptr ? lpszFileName : "";
    char fullPath[MAX_PATH * 2];
    const DWORD fullLength = GetFullPathNameA(name, sizeof(fullPath), fullPath, nullptr);
    const CString path = (fullLength > 0 && fullLength < sizeof(fullPath)) ? CString(fullPath) : CString(name);

    HANDLE handle = CreateFileA(name, access, shareMode, &security, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
    {
        const DWORD osError = GetLastError();
        if (pError != nullptr)
        {
            pError->m_lOsError = static_cast<LONG>(osError);
            pError->m_cause = CFileException::OsErrorToException(static_cast<LONG>(osError));
            pError->m_strFileName = path;
        }
        return FALSE;
    }
    m_hFile = handle;
    m_strFileName = path;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

void CFile::Close()
{
    BOOL closed = TRUE;
    DWORD osError = NO_ERROR;
    if (m_hFile != hFileNull)
    {
        closed = CloseHandle(m_hFile);
        if (!closed)
            osError = GetLastError();
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (!closed)
        ThrowOsError(osError);
}

void CFile::Abort()
{
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    DWORD bytesRead = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &bytesRead, nullptr))
    {
        const DWORD osError = GetLastError();
        // Pipes and some devices report their end as an error.
        if (osError == ERROR_HANDLE_EOF || osError == ERROR_BROKEN_PIPE)
            return 0;
        ThrowOsError(osError);
    }
    return bytesRead;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr))
        ThrowOsError(GetLastError());
    if (written != nCount)
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    DWORD method = FILE_BEGIN;
    if (nFrom == current)
        method = FILE_CURRENT;
    else if (nFrom == end)
        method = FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = lOff;
    LARGE_INTEGER newPosition;
    newPosition.QuadPart = 0;
    if (!SetFilePointerEx(m_hFile, distance, &newPosition, method))
        ThrowOsError(GetLastError());
    return static_cast<ULONGLONG>(newPosition.QuadPart);
}

void CFile::SeekToBegin()
{
    Seek(0, begin);
}

ULONGLONG CFile::SeekToEnd()
{
    return Seek(0, end);
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER distance;
    distance.QuadPart = 0;
    LARGE_INTEGER position;
    position.QuadPart = 0;
    if (!SetFilePointerEx(m_hFile, distance, &position, FILE_CURRENT))
        ThrowOsError(GetLastError());
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    size.QuadPart = 0;
    if (!GetFileSizeEx(m_hFile, &size))
        ThrowOsError(GetLastError());
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    const ULONGLONG position = GetPosition();
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!SetEndOfFile(m_hFile))
        ThrowOsError(GetLastError());
    Seek(static_cast<LONGLONG>(std::min(position, dwNewLen)), begin);
}

void CFile::Flush()
{
    if (m_hFile == hFileNull)
        return;
    if (!FlushFileBuffers(m_hFile))
        ThrowOsError(GetLastError());
}

CString CFile::GetFilePath() const
{
    return m_strFileName;
}

CString CFile::GetFileName() const
{
    const int slash = std::max(m_strFileName.ReverseFind('\\'), m_strFileName.ReverseFind('/'));
    return m_strFileName.Mid(slash + 1);
}

CString CFile::GetFileTitle() const
{
    CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

void CFile::ThrowOsError(DWORD osError) const
{
    AfxThrowFileException(CFileException::OsErrorToException(static_cast<LONG>(osError)),
                          static_cast<LONG>(osError), m_strFileName);
}
