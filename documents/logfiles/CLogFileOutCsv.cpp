#include "documents/logfiles/CLogFileOutCsv.h"

#include <io.h>
#include <share.h>

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "documents/TextHelpers.h"
#include "documents/TimeHelpers.h"
#include "framework/SystemErrorText.h"

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + EscapeQuotes(text) + "\"";
}

}  // namespace

CLogFileOutCsv::~CLogFileOutCsv()
{
    Close();
}

bool CLogFileOutCsv::AddColumn(const std::string& name, const CPlotVariableId& id)
{
    for (const Column_t& column : m_columns) {
        if (column.id == id)
            return false;
    }
    m_columns.push_back(Column_t{id, name, std::string(), false});
    return true;
}

bool CLogFileOutCsv::SetValue(const CPlotVariableId& id, const std::string& value)
{
    for (Column_t& column : m_columns) {
        if (column.id == id) {
            column.value = value;
            column.isSet = true;
            return true;
        }
    }
    return false;
}

void CLogFileOutCsv::ClearValues()
{
    for (Column_t& column : m_columns) {
        column.value.clear();
        column.isSet = false;
    }
}

// Shared for reading and writing, so that Pyraxis can follow a file while it is recorded.
bool CLogFileOutCsv::Open(const char* path)
{
    if (IsOpen())
        return false;
    m_error.clear();
    if (!path || !*path) {
        m_error = "no file name";
        return false;
    }
    ::SetLastError(ERROR_SUCCESS);
    m_file = _fsopen(path, "wt", _SH_DENYNO);
    if (!m_file) {
        // The system's reason, as a failed write gives it; the C library's when it has none.
        const DWORD error = ::GetLastError();
        m_error = error != ERROR_SUCCESS ? DiskErrorText(error) : std::strerror(errno);
        return false;
    }
    m_path = path;
    m_wholeSize = 0;
    std::string header = "\"time (UTC)\"";
    for (const Column_t& column : m_columns)
        header += "," + Quoted(column.name);
    return WriteText(header + "\n");
}

bool CLogFileOutCsv::WriteLine(const char* time, bool partial)
{
    if (!IsOpen())
        return false;
    std::string line = Quoted(time ? std::string(time) : FormatUtcNow());
    for (const Column_t& column : m_columns) {
        if (!column.isSet && !partial)
            return false;
        line += "," + Quoted(column.value);
    }
    return WriteText(line + "\n");
}

// Written at once, as text-mode lines, straight to the file's handle: a reader following
// the file sees whole lines only, and a write that fails part of the way (a full disk)
// is cut back, so that the file ends with its last whole line and still opens.
bool CLogFileOutCsv::WriteText(const std::string& text)
{
    std::string bytes;
    bytes.reserve(text.size() + 2);
    for (const char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_file)));
    size_t done = 0;
    // A write that stops short is tried again with the rest, which then says why.
    for (int attempt = 0; done < bytes.size() && attempt < 64; ++attempt) {
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr)) {
            FailWrite(::GetLastError());
            return false;
        }
        done += written;
    }
    if (done < bytes.size()) {
        FailWrite(ERROR_WRITE_FAULT);
        return false;
    }
    m_wholeSize += static_cast<long long>(bytes.size());
    return true;
}

void CLogFileOutCsv::FailWrite(DWORD error)
{
    m_error = DiskErrorText(error);
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_file)));
    LARGE_INTEGER whole;
    whole.QuadPart = m_wholeSize;
    if (::SetFilePointerEx(handle, whole, nullptr, FILE_BEGIN))
        ::SetEndOfFile(handle);
    Close();
}

void CLogFileOutCsv::Close()
{
    if (m_file)
        fclose(m_file);
    m_file = nullptr;
    m_path.clear();
    ClearValues();
}

unsigned long long CLogFileOutCsv::GetFileSize()
{
    if (!m_file)
        return 0;
    const long long size = _filelengthi64(_fileno(m_file));
    return size < 0 ? 0 : static_cast<unsigned long long>(size);
}
