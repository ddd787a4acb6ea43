// A file held in memory, growing in steps of a given size. Read, Write, Seek and the
// length behave as for CFile: reading at the end returns 0 bytes, seeking past the end
// is allowed and a write there fills the gap with zeros.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFile.h"

class CMemFile : public CFile
{
    DECLARE_DYNAMIC(CMemFile)
public:
    explicit CMemFile(UINT nGrowBytes = 1024);
    // Same as Attach.
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    ~CMemFile() override;

    // Uses a caller's buffer. With nGrowBytes 0 the buffer is the whole fixed file
    // (its length is nBufferSize; a write past it throws diskFull). Otherwise the file
    // starts empty and, when it outgrows the buffer, moves to a buffer of its own;
    // the caller's buffer is never freed or reallocated.
    void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    // Hands the buffer to the caller and empties the file. A buffer the file
    // allocated itself comes from malloc: the caller frees it with free().
    BYTE* Detach();

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG dwNewLen) override;
    void Flush() override;
    void Close() override;
    void Abort() override;

private:
    // Makes room for at least newSize bytes, in steps of the grow size.
    void GrowBuffer(ULONGLONG newSize);
    void FreeBuffer();

    UINT m_nGrowBytes;
    BYTE* m_lpBuffer = nullptr;
    ULONGLONG m_nBufferSize = 0;
    ULONGLONG m_nFileSize = 0;
    ULONGLONG m_nPosition = 0;
    bool m_bOwnsBuffer = false;
};
