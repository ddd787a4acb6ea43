#include "documents/logfiles/CLogFileInCsv.h"

#include <share.h>

#include <cstdlib>
#include <stdexcept>

#include "documents/TimeHelpers.h"
#include "framework/CSingleLock.h"

std::vector<std::string> SplitCsvLine(const std::string& line, char separator, char quote)
{
    std::vector<std::string> fields;
    if (line.empty())
        return fields;
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            if (i + 1 < line.size())
                field += line[++i];
        } else if (c == quote) {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

namespace {

// strtod of the whole text; false (value 0) when anything is left over or nothing was read.
bool ParseWholeNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size()) {
        value = 0;
        return false;
    }
    return true;
}

std::string JoinFields(const std::vector<std::string>& fields)
{
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i)
        joined += (i ? "," : "") + fields[i];
    return joined;
}

}  // namespace

CLogFileInCsv::~CLogFileInCsv()
{
    CloseFile();
}

// Binary mode: offsets from ftell are exact whatever the line ends, and the reader drops
// the carriage return of a text-mode line end itself.
void CLogFileInCsv::Open(const wchar_t* path)
{
    CSingleLock lock(&m_lock, TRUE);
    ClearColumns();
    CloseFile();
    m_file = _wfsopen(path, L"rb", _SH_DENYNO);
    if (!m_file)
        throw std::runtime_error("unable to open log file");
}

void CLogFileInCsv::Open(const char* path)
{
    CSingleLock lock(&m_lock, TRUE);
    ClearColumns();
    CloseFile();
    m_file = _fsopen(path, "rb", _SH_DENYNO);
    if (!m_file)
        throw std::runtime_error("unable to open log file");
}

void CLogFileInCsv::Close()
{
    CSingleLock lock(&m_lock, TRUE);
    CloseFile();
}

bool CLogFileInCsv::IsOpen()
{
    CSingleLock lock(&m_lock, TRUE);
    return m_file != nullptr;
}

void CLogFileInCsv::CloseFile()
{
    if (m_file)
        fclose(m_file);
    m_file = nullptr;
    m_offset = 0;
    m_columnCount = 0;
    m_fields.clear();
}

// Lines of any length: the Logger writes rows as wide as its columns.
bool CLogFileInCsv::ReadLine()
{
    if (!m_file)
        return false;
    std::string line;
    char buffer[2048];
    bool complete = false;
    while (fgets(buffer, sizeof(buffer), m_file)) {
        line += buffer;
        if (!line.empty() && line.back() == '\n') {
            complete = true;
            break;
        }
    }
    if (!complete && ferror(m_file))
        throw std::runtime_error("failure reading logfile line");
    // fgets gives no length: a NUL would end a chunk's text early, hide the line feed after
    // it and join the line with the next one. Every byte read must have been kept.
    const long long end = _ftelli64(m_file);
    if (end - m_offset != static_cast<long long>(line.size()))
        throw std::runtime_error("log file line contains a NUL character");
    if (!complete) {
        // End of file, possibly inside a line a writer has not finished: read it whole later.
        _fseeki64(m_file, m_offset, SEEK_SET);
        return false;
    }
    m_offset = end;
    line.pop_back();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    m_fields = SplitCsvLine(line);
    return true;
}

bool CLogFileInCsv::ReadAndConvertRecord(LogSampleStore_t& samples)
{
    CSingleLock lock(&m_lock, TRUE);
    if (!ReadLine())
        return false;
    if (m_columnCount == 0) {
        ClearColumns();
        if (m_fields.size() < 2)
            throw std::runtime_error("the log file has only timestamps (no data)");
        for (size_t i = 1; i < m_fields.size(); ++i)
            AddColumn(int(i - 1), m_fields[i], LOG_SAMPLE_TYPE_NUMBER);
        m_columnCount = m_fields.size() - 1;
        if (!ReadLine())
            return false;
    }
    if (m_fields.empty())
        throw std::runtime_error("log file line had no data fields");
    if (m_fields.size() != m_columnCount + 1)
        throw std::runtime_error("line \"" + JoinFields(m_fields) +
                                 "\" had the wrong number of columns (not the same as the header)");
    // A malformed stamp stops the file with the parser's error; a well-formed stamp of a day
    // that does not exist gives the row's samples an invalid time, and the rest stays readable.
    const COleDateTime time = ParseUtcTimestamp(m_fields[0]);
    for (size_t c = 1; c < m_fields.size(); ++c) {
        double value = 0;
        if (!ParseWholeNumber(m_fields[c], value))
            SetColumnValueType(int(c - 1), LOG_SAMPLE_TYPE_TEXT);
        samples[int(c - 1)].push_back(LogSample_t{time, value});
    }
    return true;
}
