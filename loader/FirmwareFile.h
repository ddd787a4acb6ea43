// Reader of .qvz firmware files: checks the header, version, record format and product
// id, and loads the checksummed records. Failures leave a text for the user.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFile.h"
#include "framework/CString.h"
#include "loader/FirmwareRecord.h"

#include <cstdint>
#include <deque>

class FirmwareFile
{
public:
    FirmwareFile();
    ~FirmwareFile();
    FirmwareFile(const FirmwareFile&) = delete;
    FirmwareFile& operator=(const FirmwareFile&) = delete;

    // Opens for reading, refusing writes by others. False on failure (error text set),
    // or when already open (error text emptied).
    bool Open(LPCTSTR path);
    // Reads the whole file. Returns the record count, or -1 with the error text set.
    int Load(CString& headerText, std::deque<FirmwareRecord>& records);
    void Close();

    bool IsOpen() const { return m_isOpen; }
    // Valid after a successful Load.
    uint32_t GetProductId() const { return m_productId; }
    const CString& GetErrorText() const { return m_errorText; }

private:
    // Reads up to count bytes; an I/O error counts as the end of the file.
    UINT ReadBytes(void* buffer, UINT count);
    int Fail(LPCTSTR text);

    bool m_isOpen;
    CFile m_file;
    uint32_t m_productId;
    CString m_path;
    uint32_t m_recordDataSize;
    CString m_errorText;
};
