#include "framework/CByteArray.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"

IMPLEMENT_SERIAL(CByteArray, CObject, 0)

void CByteArray::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    if (ar.IsStoring())
    {
        ar.WriteCount(static_cast<DWORD_PTR>(GetSize()));
        if (!IsEmpty())
            ar.Write(GetData(), static_cast<UINT>(GetSize()));
        return;
    }
    // Grown chunk by chunk rather than sized from the stored count up front, so a
    // corrupt count ends in endOfFile instead of a huge allocation.
    const DWORD_PTR count = ar.ReadCount();
    RemoveAll();
    const DWORD_PTR chunkSize = 4096;
    for (DWORD_PTR done = 0; done < count;)
    {
        const DWORD_PTR chunk = count - done < chunkSize ? count - done : chunkSize;
        SetSize(static_cast<INT_PTR>(done + chunk));
        const UINT got = ar.Read(GetData() + done, static_cast<UINT>(chunk));
        if (got != chunk)
            AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
        done += chunk;
    }
}
