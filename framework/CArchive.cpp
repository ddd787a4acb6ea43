#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

const WORD kNullTag = 0x0000;
const WORD kNewClassTag = 0xFFFF;
const WORD kClassTag = 0x8000;
const WORD kBigObjectTag = 0x7FFF;
const DWORD kBigClassTag = 0x80000000;
const DWORD kMaxMapCount = 0x3FFFFFFE;

const BYTE kLongStringByte = 0xFF;
const WORD kWideStringMarker = 0xFFFE;
const WORD kLongStringWord = 0xFFFF;

// Longer names are taken for damaged data rather than a class.
const WORD kMaxClassNameLength = 255;

// Strings are read in pieces so that a damaged length ends at the end of the file
// instead of one huge allocation.
const size_t kStringChunk = 64 * 1024;

const UINT kMinBufferSize = 16;

} // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_pFile(pFile), m_nMode(nMode)
{
    if (m_pFile != nullptr)
        m_strFileName = m_pFile->GetFilePath();
    if (lpBuf != nullptr && nBufSize >= static_cast<int>(kMinBufferSize))
    {
        m_lpBuf = static_cast<BYTE*>(lpBuf);
        m_nBufSize = static_cast<UINT>(nBufSize);
    }
    else
    {
        m_nBufSize = std::max<UINT>(kMinBufferSize, nBufSize > 0 ? static_cast<UINT>(nBufSize) : 0);
        m_ownBuffer.resize(m_nBufSize);
        m_lpBuf = m_ownBuffer.data();
    }
    m_loadArray.push_back(LoadedEntry{nullptr, 0, nullptr});   // index 0: the null object
}

CArchive::~CArchive()
{
    if (m_pFile == nullptr)
        return;
    if (m_nMode & bNoFlushOnDelete)
    {
        Abort();
        return;
    }
    try
    {
        Close();
    }
    catch (CException* e)
    {
        e->Delete();
        Abort();
    }
}

BOOL CArchive::IsBufferEmpty() const
{
    return IsLoading() ? (m_nBufCur == m_nBufMax) : (m_nBufCur == 0);
}

void CArchive::Flush()
{
    if (m_pFile == nullptr)
        return;
    if (IsLoading())
    {
        if (m_nBufCur != m_nBufMax)
            m_pFile->Seek(-static_cast<LONGLONG>(m_nBufMax - m_nBufCur), CFile::current);
        m_nBufCur = m_nBufMax = 0;
    }
    else
    {
        if (m_nBufCur != 0)
        {
            // Cleared first: a failed write must not be retried by the destructor.
            const UINT count = m_nBufCur;
            m_nBufCur = 0;
            m_pFile->Write(m_lpBuf, count);
        }
    }
}

void CArchive::Close()
{
    Flush();
    m_pFile = nullptr;
}

void CArchive::Abort()
{
    m_pFile = nullptr;
    m_nBufCur = m_nBufMax = 0;
}

ULONGLONG CArchive::GetPosition() const
{
    const ULONGLONG filePosition = m_pFile->GetPosition();
    if (IsLoading())
        return filePosition - (m_nBufMax - m_nBufCur);
    return filePosition + m_nBufCur;
}

void CArchive::SeekTo(ULONGLONG position)
{
    Flush();
    m_pFile->Seek(static_cast<LONGLONG>(position), CFile::begin);
}

void CArchive::CheckStoring() const
{
    if (!IsStoring())
        AfxThrowArchiveException(CArchiveException::readOnly, m_strFileName);
}

void CArchive::CheckLoading() const
{
    if (!IsLoading())
        AfxThrowArchiveException(CArchiveException::writeOnly, m_strFileName);
}

void CArchive::FillBuffer()
{
    m_nBufCur = 0;
    m_nBufMax = m_pFile->Read(m_lpBuf, m_nBufSize);
}

UINT CArchive::Read(void* lpBuf, UINT nMax)
{
    CheckLoading();
    BYTE* target = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nMax)
    {
        if (m_nBufCur == m_nBufMax)
        {
            // Large reads bypass the buffer.
            if (nMax - done >= m_nBufSize)
            {
                const UINT got = m_pFile->Read(target + done, nMax - done);
                done += got;
                break;
            }
            FillBuffer();
            if (m_nBufMax == 0)
                break;
        }
        const UINT count = std::min(nMax - done, m_nBufMax - m_nBufCur);
        std::memcpy(target + done, m_lpBuf + m_nBufCur, count);
        m_nBufCur += count;
        done += count;
    }
    return done;
}

void CArchive::ReadExact(void* lpBuf, UINT nCount)
{
    if (Read(lpBuf, nCount) != nCount)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
}

void CArchive::Write(const void* lpBuf, UINT nMax)
{
    CheckStoring();
    const BYTE* source = static_cast<const BYTE*>(lpBuf);
    if (nMax >= m_nBufSize)
    {
        // Large writes bypass the buffer.
        Flush();
        m_pFile->Write(source, nMax);
        return;
    }
    UINT done = 0;
    while (done < nMax)
    {
        if (m_nBufCur == m_nBufSize)
            Flush();
        const UINT count = std::min(nMax - done, m_nBufSize - m_nBufCur);
        std::memcpy(m_lpBuf + m_nBufCur, source + done, count);
        m_nBufCur += count;
        done += count;
    }
}

void CArchive::WriteString(LPCTSTR lpsz)
{
    if (lpsz != nullptr)
        Write(lpsz, static_cast<UINT>(std::strlen(lpsz)));
}

BOOL CArchive::ReadString(CString& rString)
{
    CheckLoading();
    std::string line;
    bool gotAny = false;
    char ch = 0;
    while (Read(&ch, 1) == 1)
    {
        gotAny = true;
        if (ch == '\n')
            break;
        line += ch;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    rString = line;
    return gotAny ? TRUE : FALSE;
}

LPTSTR CArchive::ReadString(LPTSTR lpsz, UINT nMax)
{
    CheckLoading();
    if (lpsz == nullptr || nMax == 0)
        return nullptr;
    UINT length = 0;
    bool gotAny = false;
    char ch = 0;
    while (length + 1 < nMax && Read(&ch, 1) == 1)
    {
        gotAny = true;
        if (ch == '\n')
        {
            if (length > 0 && lpsz[length - 1] == '\r')
                --length;
            lpsz[length++] = '\n';
            break;
        }
        lpsz[length++] = ch;
    }
    lpsz[length] = '\0';
    return gotAny ? lpsz : nullptr;
}

template <typename T>
CArchive& CArchive::WriteValue(T value)
{
    // The target is little-endian, so the in-memory bytes are the stored form.
    Write(&value, sizeof(value));
    return *this;
}

template <typename T>
CArchive& CArchive::ReadValue(T& value)
{
    CheckLoading();
    ReadExact(&value, sizeof(value));
    return *this;
}

CArchive& CArchive::operator<<(BYTE by) { return WriteValue(by); }
CArchive& CArchive::operator<<(WORD w) { return WriteValue(w); }
CArchive& CArchive::operator<<(LONG l) { return WriteValue(l); }
CArchive& CArchive::operator<<(DWORD dw) { return WriteValue(dw); }
CArchive& CArchive::operator<<(int i) { return WriteValue(i); }
CArchive& CArchive::operator<<(unsigned u) { return WriteValue(u); }
CArchive& CArchive::operator<<(short s) { return WriteValue(s); }
CArchive& CArchive::operator<<(char ch) { return WriteValue(ch); }
CArchive& CArchive::operator<<(signed char ch) { return WriteValue(ch); }
CArchive& CArchive::operator<<(bool b) { return WriteValue(static_cast<BYTE>(b ? 1 : 0)); }
CArchive& CArchive::operator<<(float f) { return WriteValue(f); }
CArchive& CArchive::operator<<(double d) { return WriteValue(d); }
CArchive& CArchive::operator<<(LONGLONG ll) { return WriteValue(ll); }
CArchive& CArchive::operator<<(ULONGLONG ull) { return WriteValue(ull); }

CArchive& CArchive::operator>>(BYTE& by) { return ReadValue(by); }
CArchive& CArchive::operator>>(WORD& w) { return ReadValue(w); }
CArchive& CArchive::operator>>(LONG& l) { return ReadValue(l); }
CArchive& CArchive::operator>>(DWORD& dw) { return ReadValue(dw); }
CArchive& CArchive::operator>>(int& i) { return ReadValue(i); }
CArchive& CArchive::operator>>(unsigned& u) { return ReadValue(u); }
CArchive& CArchive::operator>>(short& s) { return ReadValue(s); }
CArchive& CArchive::operator>>(char& ch) { return ReadValue(ch); }
CArchive& CArchive::operator>>(signed char& ch) { return ReadValue(ch); }
CArchive& CArchive::operator>>(float& f) { return ReadValue(f); }
CArchive& CArchive::operator>>(double& d) { return ReadValue(d); }
CArchive& CArchive::operator>>(LONGLONG& ll) { return ReadValue(ll); }
CArchive& CArchive::operator>>(ULONGLONG& ull) { return ReadValue(ull); }

CArchive& CArchive::operator>>(bool& b)
{
    BYTE stored = 0;
    ReadValue(stored);
    b = stored != 0;
    return *this;
}

CArchive& CArchive::operator<<(const CString& str)
{
    CheckStoring();
    const DWORD length = static_cast<DWORD>(str.GetLength());
    if (length < kLongStringByte)
    {
        *this << static_cast<BYTE>(length);
    }
    else if (length < kWideStringMarker)
    {
        *this << kLongStringByte << static_cast<WORD>(length);
    }
    else
    {
        *this << kLongStringByte << kLongStringWord << length;
    }
    Write(str.GetString(), length);
    return *this;
}

CArchive& CArchive::operator<<(const char* lpsz)
{
    return *this << CString(lpsz);
}

// Reads a length prefix. Returns (size_t)-1 after the marker of a wide string, whose
// own prefix follows.
size_t CArchive::ReadStringLength()
{
    BYTE byteLength = 0;
    *this >> byteLength;
    if (byteLength < kLongStringByte)
        return byteLength;
    WORD wordLength = 0;
    *this >> wordLength;
    if (wordLength == kWideStringMarker)
        return static_cast<size_t>(-1);
    if (wordLength < kWideStringMarker)
        return wordLength;
    DWORD dwordLength = 0;
    *this >> dwordLength;
    if (dwordLength != 0xFFFFFFFF)
        return dwordLength;
    ULONGLONG longLength = 0;
    *this >> longLength;
    return static_cast<size_t>(longLength);
}

CArchive& CArchive::operator>>(CString& str)
{
    CheckLoading();
    size_t length = ReadStringLength();
    const bool wide = (length == static_cast<size_t>(-1));
    if (wide)
    {
        length = ReadStringLength();
        if (length > SIZE_MAX / sizeof(WCHAR))   // a second marker or a length no file can hold
            AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
    }
    const size_t charSize = wide ? sizeof(WCHAR) : sizeof(char);

    std::string bytes;
    size_t remaining = length * charSize;
    while (remaining > 0)
    {
        const size_t chunk = std::min(remaining, kStringChunk);
        const size_t old = bytes.size();
        bytes.resize(old + chunk);
        ReadExact(&bytes[old], static_cast<UINT>(chunk));
        remaining -= chunk;
    }

    if (!wide)
    {
        str = CString(bytes);   // all of it, NULs included
        return *this;
    }

    // Files written by a wide-character build: convert to the ANSI code page.
    std::wstring wideText(length, L'\0');
    if (length > 0)
        std::memcpy(&wideText[0], bytes.data(), bytes.size());
    std::string narrow;
    if (length > 0)
    {
        const int needed = WideCharToMultiByte(CP_ACP, 0, wideText.data(), static_cast<int>(length),
                                               nullptr, 0, nullptr, nullptr);
        narrow.resize(needed > 0 ? static_cast<size_t>(needed) : 0);
        if (needed > 0)
            WideCharToMultiByte(CP_ACP, 0, wideText.data(), static_cast<int>(length), &narrow[0], needed,
                                nullptr, nullptr);
    }
    str = narrow;
    return *this;
}

void CArchive::WriteCount(DWORD_PTR dwCount)
{
    if (dwCount < 0xFFFF)
    {
        *this << static_cast<WORD>(dwCount);
        return;
    }
    *this << static_cast<WORD>(0xFFFF);
    if (dwCount < 0xFFFFFFFF)
    {
        *this << static_cast<DWORD>(dwCount);
        return;
    }
    *this << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(dwCount);
}

DWORD_PTR CArchive::ReadCount()
{
    WORD wordCount = 0;
    *this >> wordCount;
    if (wordCount != 0xFFFF)
        return wordCount;
    DWORD dwordCount = 0;
    *this >> dwordCount;
    if (dwordCount != 0xFFFFFFFF)
        return dwordCount;
    ULONGLONG longCount = 0;
    *this >> longCount;
    return static_cast<DWORD_PTR>(longCount);
}

DWORD CArchive::NextMapIndex()
{
    if (m_nMapCount >= kMaxMapCount)
        AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    return m_nMapCount++;
}

void CArchive::WriteReference(DWORD index, bool isClass)
{
    if (index < kBigObjectTag)
    {
        *this << static_cast<WORD>(isClass ? (kClassTag | index) : index);
        return;
    }
    *this << kBigObjectTag << (isClass ? (kBigClassTag | index) : index);
}

void CArchive::WriteClass(const CRuntimeClass* pClassRef)
{
    CheckStoring();
    if (pClassRef == nullptr)
        AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);

    const auto known = m_storeMap.find(pClassRef);
    if (known != m_storeMap.end())
    {
        WriteReference(known->second, true);
        return;
    }

    const WORD nameLength = static_cast<WORD>(std::strlen(pClassRef->m_lpszClassName));
    *this << kNewClassTag << static_cast<WORD>(pClassRef->m_wSchema & ~VERSIONABLE_SCHEMA) << nameLength;
    Write(pClassRef->m_lpszClassName, nameLength);
    m_storeMap[pClassRef] = NextMapIndex();
}

CRuntimeClass* CArchive::FindClassByName(const char* name, const CRuntimeClass* pClassRefRequested) const
{
    if (CRuntimeClass* registered = CRuntimeClass::FromName(name))
        return registered;
    // Classes that are not serializable (only dynamic or creatable) are not in the
    // registry; a class record of the requested class or one of its bases still reads.
    for (CRuntimeClass* pClass = const_cast<CRuntimeClass*>(pClassRefRequested); pClass != nullptr;
         pClass = pClass->GetBaseClass())
    {
        if (std::strcmp(pClass->m_lpszClassName, name) == 0)
            return pClass;
    }
    return nullptr;
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema, DWORD* pObTag)
{
    CheckLoading();
    WORD tag = 0;
    *this >> tag;
    DWORD objectTag = 0;
    if (tag == kBigObjectTag)
        *this >> objectTag;
    else
        objectTag = (static_cast<DWORD>(tag & kClassTag) << 16) | (tag & ~kClassTag);

    CRuntimeClass* pClass = nullptr;
    UINT schema = 0;
    if (tag == kNewClassTag)
    {
        WORD storedSchema = 0;
        WORD nameLength = 0;
        *this >> storedSchema >> nameLength;
        if (nameLength == 0 || nameLength > kMaxClassNameLength)
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        char name[kMaxClassNameLength + 1];
        ReadExact(name, nameLength);
        name[nameLength] = '\0';

        pClass = FindClassByName(name, pClassRefRequested);
        if (pClass == nullptr)
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        const bool versionable = (pClass->m_wSchema & VERSIONABLE_SCHEMA) != 0;
        const WORD ownSchema = static_cast<WORD>(pClass->m_wSchema & ~VERSIONABLE_SCHEMA);
        if (storedSchema != ownSchema && !versionable)
            AfxThrowArchiveException(CArchiveException::badSchema, m_strFileName);
        schema = storedSchema;
        NextMapIndex();
        m_loadArray.push_back(LoadedEntry{pClass, schema, nullptr});
    }
    else if (objectTag & kBigClassTag)
    {
        const DWORD index = objectTag & ~kBigClassTag;
        if (index == 0 || index >= m_loadArray.size() || m_loadArray[index].pClass == nullptr)
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        pClass = m_loadArray[index].pClass;
        schema = m_loadArray[index].nSchema;
    }
    else
    {
        // A null record or a reference to an object read before.
        if (pObTag == nullptr)
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        *pObTag = objectTag;
        return nullptr;
    }

    if (pClassRefRequested != nullptr && !pClass->IsDerivedFrom(pClassRefRequested))
        AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    if (pSchema != nullptr)
        *pSchema = schema;
    m_nObjectSchema = schema;
    return pClass;
}

void CArchive::SerializeClass(const CRuntimeClass* pClassRef)
{
    if (IsStoring())
        WriteClass(pClassRef);
    else
        ReadClass(pClassRef);
}

void CArchive::WriteObject(const CObject* pOb)
{
    CheckStoring();
    if (pOb == nullptr)
    {
        *this << kNullTag;
        return;
    }
    const auto known = m_storeMap.find(pOb);
    if (known != m_storeMap.end())
    {
        WriteReference(known->second, false);
        return;
    }
    WriteClass(pOb->GetRuntimeClass());
    // Mapped before Serialize, so that the object's own references to itself resolve.
    m_storeMap[pOb] = NextMapIndex();
    const_cast<CObject*>(pOb)->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested)
{
    CheckLoading();
    UINT schema = 0;
    DWORD objectTag = 0;
    CRuntimeClass* pClass = ReadClass(pClassRefRequested, &schema, &objectTag);

    if (pClass == nullptr)
    {
        if (objectTag == 0)
            return nullptr;
        if (objectTag >= m_loadArray.size() || m_loadArray[objectTag].pObject == nullptr)
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        CObject* pOb = m_loadArray[objectTag].pObject;
        if (pClassRefRequested != nullptr && !pOb->IsKindOf(pClassRefRequested))
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        return pOb;
    }

    CObject* pOb = pClass->CreateObject();
    if (pOb == nullptr)
        AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    const size_t index = m_loadArray.size();
    try
    {
        NextMapIndex();
        m_loadArray.push_back(LoadedEntry{nullptr, 0, pOb});
        m_nObjectSchema = schema;
        pOb->Serialize(*this);
    }
    catch (...)
    {
        // The half-read object goes; later references to it are bad indices.
        if (index < m_loadArray.size())
            m_loadArray[index].pObject = nullptr;
        delete pOb;
        throw;
    }
    return pOb;
}

UINT CArchive::GetObjectSchema()
{
    const UINT schema = m_nObjectSchema;
    m_nObjectSchema = static_cast<UINT>(-1);
    return schema;
}

void CArchive::SetObjectSchema(UINT nSchema)
{
    m_nObjectSchema = nSchema;
}

void CArchive::MapObject(const CObject* pOb)
{
    if (IsStoring())
    {
        if (pOb != nullptr && m_storeMap.find(pOb) == m_storeMap.end())
            m_storeMap[pOb] = NextMapIndex();
        return;
    }
    NextMapIndex();
    m_loadArray.push_back(LoadedEntry{nullptr, 0, const_cast<CObject*>(pOb)});
}

CArchive& operator<<(CArchive& ar, const CObject* pOb)
{
    ar.WriteObject(pOb);
    return ar;
}

CArchive& operator>>(CArchive& ar, CObject*& pOb)
{
    pOb = ar.ReadObject(nullptr);
    return ar;
}

CArchive& operator>>(CArchive& ar, const CObject*& pOb)
{
    pOb = ar.ReadObject(nullptr);
    return ar;
}
