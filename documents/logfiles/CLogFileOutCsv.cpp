#include "documents/logfiles/CLogFileOutCsv.h"

#include <io.h>
#include <share.h>

#include <cerrno>
#include <cstring>

#include "documents/TextHelpers.h"
#include "documents/TimeHelpers.h"

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
    if (IsOpen() || !path || !*path)
        return false;
    m_error.clear();
    m_file = _fsopen(path, "wt", _SH_DENYNO);
    if (!m_file) {
        m_error = std::strerror(errno);
        return false;
    }
    // Unbuffered: a failed write leaves nothing behind that a later flush or the close
    // could still append once there is room again.
    setvbuf(m_file, nullptr, _IONBF, 0);
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

// Written at once: a reader following the file sees whole lines only, and a full disk
// leaves the file ending with its last whole line, so that it still opens.
bool CLogFileOutCsv::WriteText(const std::string& text)
{
    errno = 0;
    if (fwrite(text.data(), 1, text.size(), m_file) != text.size() || fflush(m_file) != 0) {
        FailWrite(errno);
        return false;
    }
    const long long size = _telli64(_fileno(m_file));
    if (size < 0) {
        FailWrite(errno);
        return false;
    }
    m_wholeSize = size;
    return true;
}

void CLogFileOutCsv::FailWrite(int error)
{
    m_error = std::strerror(error != 0 ? error : EIO);
    _chsize_s(_fileno(m_file), m_wholeSize);
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
