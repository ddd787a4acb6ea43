#include "documents/logfiles/CLogFileOutCsv.h"

#include <io.h>
#include <share.h>

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
    m_path = path;
    m_file = _fsopen(path, "wt", _SH_DENYNO);
    if (!m_file)
        return false;
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

// Flushed at once: a reader following the file sees whole lines only.
bool CLogFileOutCsv::WriteText(const std::string& text)
{
    const bool written = fwrite(text.data(), 1, text.size(), m_file) == text.size();
    return fflush(m_file) == 0 && written;
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
    if (!m_file || fflush(m_file) != 0)
        return 0;
    const long long size = _filelengthi64(_fileno(m_file));
    return size < 0 ? 0 : static_cast<unsigned long long>(size);
}
