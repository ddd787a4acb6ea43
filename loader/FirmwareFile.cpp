#include "loader/FirmwareFile.h"

#include "framework/CFileException.h"

#include <stdexcept>

namespace {

const UINT HeaderBufferSize = 1024;
const BYTE EndOfHeader = 0x1A;
const char* const VersionMismatchText =
    "File version does not match any file version that we understand; do you need a newer Tolmera?";

uint16_t LittleEndian16(const BYTE* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t LittleEndian32(const BYTE* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

} // namespace

FirmwareFile::FirmwareFile()
    : m_isOpen(false), m_productId(0), m_recordDataSize(0)
{
}

FirmwareFile::~FirmwareFile()
{
    Close();
}

bool FirmwareFile::Open(LPCTSTR path)
{
    m_errorText.Empty();
    if (m_isOpen)
        return false;

    m_path = path;
    CFileException error;
    if (!m_file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &error)) {
        char message[512] = {};
        if (error.GetErrorMessage(message, sizeof(message)) && message[0] != '\0')
            m_errorText = message;
        else
            m_errorText = "No error information available";
        return false;
    }
    m_isOpen = true;
    return true;
}

void FirmwareFile::Close()
{
    if (m_isOpen) {
        m_file.Abort();
        m_isOpen = false;
    }
}

UINT FirmwareFile::ReadBytes(void* buffer, UINT count)
{
    try {
        return m_file.Read(buffer, count);
    } catch (CException* e) {
        e->Delete();
        return 0;
    }
}

int FirmwareFile::Fail(LPCTSTR text)
{
    m_errorText = text;
    return -1;
}

int FirmwareFile::Load(CString& headerText, std::deque<FirmwareRecord>& records)
{
    headerText.Empty();
    if (!m_isOpen)
        return Fail("File is not open");

    char header[HeaderBufferSize] = {};
    UINT headerLength = 0;
    for (;;) {
        if (headerLength == HeaderBufferSize)
            return Fail("File header is too long");
        BYTE byte = 0;
        if (ReadBytes(&byte, 1) != 1)
            return Fail("Unexpected EOF reading file header");
        if (byte == EndOfHeader) {
            header[headerLength] = '\0';
            break;
        }
        header[headerLength++] = static_cast<char>(byte);
    }
    headerText = header;   // up to the first zero byte

    BYTE word[2] = {};
    if (ReadBytes(word, 2) != 2)
        return Fail("Unexpected EOF");
    const uint16_t version = LittleEndian16(word);
    if (ReadBytes(word, 2) != 2)
        return Fail("Unexpected EOF");
    const uint16_t format = LittleEndian16(word);

    if (version > 0)
        return Fail(VersionMismatchText);

    if (format == 0 || format == 1) {
        m_recordDataSize = 8;
    } else if (format == 2) {
        BYTE size = 0;
        if (ReadBytes(&size, 1) != 1)
            return Fail("Could not read record size byte");
        if (size > FirmwareRecord::MaxDataSize)
            return Fail("Record size in the firmware file is too large");
        m_recordDataSize = size;
    } else {
        return Fail(VersionMismatchText);
    }

    if (format == 0) {
        m_productId = m_path.Find("meter") >= 0 ? 2 : 1;
    } else {
        BYTE id[4] = {};
        if (ReadBytes(id, 4) != 4)
            return Fail("Unexpected EOF");
        m_productId = LittleEndian32(id);
        if (m_productId < 1 || m_productId > 9)
            return Fail("Invalid product ID in the firmware file");
    }

    if (ReadBytes(word, 2) != 2)
        return Fail("Unexpected EOF reading record count");
    const uint16_t recordCount = LittleEndian16(word);

    records.clear();
    for (uint16_t i = 0; i < recordCount; ++i) {
        FirmwareRecord record;
        record.dataSize = m_recordDataSize;
        try {
            record.Read(m_file);
        } catch (const std::runtime_error& e) {
            return Fail(e.what());
        } catch (CException* e) {
            e->Delete();
            return Fail("unexpected EOF reading record data");
        }
        records.push_back(record);
    }

    try {
        if (m_file.GetPosition() != m_file.GetLength())
            return Fail("Unexpected extra data in file (beyond last indicated record).");
    } catch (CException* e) {
        e->Delete();
        return Fail("Unexpected extra data in file (beyond last indicated record).");
    }
    return recordCount;
}
