#include "framework/CMemFile.h"
#include "framework/CFileException.h"
#include "framework/CMemoryException.h"

#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CMemFile, CFile)

CMemFile::CMemFile(UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes)
{
}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes)
{
    Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile()
{
    FreeBuffer();
}

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes)
{
    FreeBuffer();
    m_lpBuffer = lpBuffer;
    m_nBufferSize = lpBuffer != nullptr ? nBufferSize : 0;
    m_nGrowBytes = nGrowBytes;
    m_nFileSize = (nGrowBytes == 0) ? m_nBufferSize : 0;
    m_nPosition = 0;
    m_bOwnsBuffer = false;
}

BYTE* CMemFile::Detach()
{
    BYTE* buffer = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nBufferSize = 0;
    m_nFileSize = 0;
    m_nPosition = 0;
    m_bOwnsBuffer = false;
    return buffer;
}

void CMemFile::FreeBuffer()
{
    if (m_bOwnsBuffer)
        std::free(m_lpBuffer);
    m_lpBuffer = nullptr;
    m_nBufferSize = 0;
    m_nFileSize = 0;
    m_nPosition = 0;
    m_bOwnsBuffer = false;
}

void CMemFile::GrowBuffer(ULONGLONG newSize)
{
    if (newSize <= m_nBufferSize)
        return;
    if (m_nGrowBytes == 0)
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);

    ULONGLONG capacity = m_nBufferSize;
    while (capacity < newSize)
        capacity += m_nGrowBytes;
    if (capacity > SIZE_MAX)
        AfxThrowMemoryException();

    BYTE* buffer = static_cast<BYTE*>(m_bOwnsBuffer ? std::realloc(m_lpBuffer, static_cast<size_t>(capacity))
                                                    : std::malloc(static_cast<size_t>(capacity)));
    if (buffer == nullptr)
        AfxThrowMemoryException();
    // A caller's buffer stays with the caller; its contents move to our own one.
    if (!m_bOwnsBuffer && m_lpBuffer != nullptr && m_nFileSize > 0)
        std::memcpy(buffer, m_lpBuffer, static_cast<size_t>(m_nFileSize));
    m_lpBuffer = buffer;
    m_nBufferSize = capacity;
    m_bOwnsBuffer = true;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0 || m_nPosition >= m_nFileSize)
        return 0;
    const ULONGLONG available = m_nFileSize - m_nPosition;
    const UINT count = available < nCount ? static_cast<UINT>(available) : nCount;
    std::memcpy(lpBuf, m_lpBuffer + m_nPosition, count);
    m_nPosition += count;
    return count;
}

void CMemFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    const ULONGLONG newEnd = m_nPosition + nCount;
    GrowBuffer(newEnd);
    if (m_nPosition > m_nFileSize)
        std::memset(m_lpBuffer + m_nFileSize, 0, static_cast<size_t>(m_nPosition - m_nFileSize));
    std::memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
    m_nPosition = newEnd;
    if (newEnd > m_nFileSize)
        m_nFileSize = newEnd;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LONGLONG origin = 0;
    if (nFrom == current)
        origin = static_cast<LONGLONG>(m_nPosition);
    else if (nFrom == end)
        origin = static_cast<LONGLONG>(m_nFileSize);
    const LONGLONG target = origin + lOff;
    if (target < 0)
        AfxThrowFileException(CFileException::badSeek, ERROR_NEGATIVE_SEEK, m_strFileName);
    m_nPosition = static_cast<ULONGLONG>(target);
    return m_nPosition;
}

ULONGLONG CMemFile::GetPosition() const
{
    return m_nPosition;
}

ULONGLONG CMemFile::GetLength() const
{
    return m_nFileSize;
}

void CMemFile::SetLength(ULONGLONG dwNewLen)
{
    GrowBuffer(dwNewLen);
    if (dwNewLen > m_nFileSize)
        std::memset(m_lpBuffer + m_nFileSize, 0, static_cast<size_t>(dwNewLen - m_nFileSize));
    m_nFileSize = dwNewLen;
    if (m_nPosition > dwNewLen)
        m_nPosition = dwNewLen;
}

void CMemFile::Flush()
{
}

void CMemFile::Close()
{
    FreeBuffer();
}

void CMemFile::Abort()
{
    FreeBuffer();
}
