// Buffered binary stream over a CFile for storing and loading documents and settings.
//
// Encoding (little-endian): integers in their own size (int and long 4 bytes, bool
// 1 byte), float and double as IEEE 4 and 8 bytes. A string is its length and its
// characters without terminator: a length below 255 as one byte; else 0xFF and a
// 16-bit length below 0xFFFE; else 0xFF, 0xFFFF and a 32-bit length.
//
// Class and object records (WriteClass, WriteObject): 0x0000 is a null object; a new
// class is 0xFFFF, its 16-bit schema, the 16-bit name length and the name; a class
// written before in the same archive is 0x8000 | its index; an object written before
// is its index. Classes and objects share one index space counted from 1 in order of
// first appearance; from index 0x7FFF on, a reference is 0x7FFF followed by a 32-bit
// index (with 0x80000000 set for a class).
//
// Peeking: GetPosition() gives the logical stream position (what has been read or
// written so far) and SeekTo() goes back to such a position; the buffer is dropped
// and the file repositioned, so both stay consistent. Flush() in a loading archive
// also puts the file at the logical position, so GetFile()->GetPosition() and
// GetFile()->Seek() can be used after it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <unordered_map>
#include <vector>

class CFile;
class CDocument;

class CArchive
{
public:
    enum Mode
    {
        store = 0,
        load = 1,
        bNoFlushOnDelete = 2   // the destructor drops unwritten data instead of writing it
    };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    // Closes the archive (writing what is buffered unless bNoFlushOnDelete); errors
    // of that last write are dropped, as a destructor cannot throw.
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    BOOL IsBufferEmpty() const;
    CFile* GetFile() const { return m_pFile; }

    // Storing: writes the buffer to the file. Loading: drops the read-ahead and puts
    // the file back at the logical position.
    void Flush();
    // Flushes and detaches from the file; the file itself stays open.
    void Close();
    // Detaches without writing anything; never throws.
    void Abort();

    ULONGLONG GetPosition() const;
    void SeekTo(ULONGLONG position);

    // Raw bytes; Read returns fewer than asked at the end of the file.
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);

    // Text lines. WriteString writes the text as it is (no line break added).
    // ReadString(CString&) gives the line without its "\n" or "\r\n" and FALSE at the
    // end of the file; the buffer form keeps a "\n" and returns nullptr at the end.
    void WriteString(LPCTSTR lpsz);
    BOOL ReadString(CString& rString);
    LPTSTR ReadString(LPTSTR lpsz, UINT nMax);

    CArchive& operator<<(BYTE by);
    CArchive& operator<<(WORD w);
    CArchive& operator<<(LONG l);
    CArchive& operator<<(DWORD dw);
    CArchive& operator<<(int i);
    CArchive& operator<<(unsigned u);
    CArchive& operator<<(short s);
    CArchive& operator<<(char ch);
    CArchive& operator<<(signed char ch);
    CArchive& operator<<(bool b);
    CArchive& operator<<(float f);
    CArchive& operator<<(double d);
    CArchive& operator<<(LONGLONG ll);
    CArchive& operator<<(ULONGLONG ull);
    CArchive& operator<<(const CString& str);
    // Without it a string literal would pick the bool overload.
    CArchive& operator<<(const char* lpsz);

    CArchive& operator>>(BYTE& by);
    CArchive& operator>>(WORD& w);
    CArchive& operator>>(LONG& l);
    CArchive& operator>>(DWORD& dw);
    CArchive& operator>>(int& i);
    CArchive& operator>>(unsigned& u);
    CArchive& operator>>(short& s);
    CArchive& operator>>(char& ch);
    CArchive& operator>>(signed char& ch);
    CArchive& operator>>(bool& b);
    CArchive& operator>>(float& f);
    CArchive& operator>>(double& d);
    CArchive& operator>>(LONGLONG& ll);
    CArchive& operator>>(ULONGLONG& ull);
    CArchive& operator>>(CString& str);

    // Element counts: 16 bits below 0xFFFF, else 0xFFFF and 32 bits.
    void WriteCount(DWORD_PTR dwCount);
    DWORD_PTR ReadCount();

    void WriteClass(const CRuntimeClass* pClassRef);
    // Reads a class record. A class not derived from pClassRefRequested gives badClass,
    // an unknown name badClass, a stored schema other than the class's own badSchema
    // (unless the class is VERSIONABLE_SCHEMA). When the record is an object reference
    // instead, its index goes to *pObTag and the result is nullptr (without pObTag:
    // badClass).
    CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr, UINT* pSchema = nullptr,
                             DWORD* pObTag = nullptr);
    // WriteClass when storing, ReadClass when loading.
    void SerializeClass(const CRuntimeClass* pClassRef);

    void WriteObject(const CObject* pOb);
    // Reads an object of pClassRefRequested or a class derived from it (nullptr: any),
    // creating it by its class and letting it Serialize; nullptr for a null record.
    CObject* ReadObject(const CRuntimeClass* pClassRefRequested);

    // The schema stored with the class of the object being loaded, for a versionable
    // class's Serialize. Returns it once; afterwards (UINT)-1.
    UINT GetObjectSchema();
    void SetObjectSchema(UINT nSchema);

    // Gives an object an index without writing or reading it, so that later
    // references to it are written and read as back-references.
    void MapObject(const CObject* pOb);

    CString m_strFileName;           // path of the archive's file, named in exceptions
    CDocument* m_pDocument = nullptr;

private:
    struct LoadedEntry
    {
        CRuntimeClass* pClass;   // set for class entries
        UINT nSchema;
        CObject* pObject;        // set for object entries
    };

    void CheckStoring() const;
    void CheckLoading() const;
    // Reads exactly nCount bytes or throws endOfFile.
    void ReadExact(void* lpBuf, UINT nCount);
    void FillBuffer();
    DWORD NextMapIndex();
    void WriteReference(DWORD index, bool isClass);
    size_t ReadStringLength();
    CRuntimeClass* FindClassByName(const char* name, const CRuntimeClass* pClassRefRequested) const;

    template <typename T>
    CArchive& WriteValue(T value);
    template <typename T>
    CArchive& ReadValue(T& value);

    CFile* m_pFile;
    UINT m_nMode;
    std::vector<BYTE> m_ownBuffer;
    BYTE* m_lpBuf;
    UINT m_nBufSize;
    UINT m_nBufCur = 0;   // next byte to read or write
    UINT m_nBufMax = 0;   // loading: end of the valid read-ahead

    UINT m_nObjectSchema = static_cast<UINT>(-1);
    DWORD m_nMapCount = 1;
    std::unordered_map<const void*, DWORD> m_storeMap;
    std::vector<LoadedEntry> m_loadArray;
};

CArchive& operator<<(CArchive& ar, const CObject* pOb);
CArchive& operator>>(CArchive& ar, CObject*& pOb);
CArchive& operator>>(CArchive& ar, const CObject*& pOb);
