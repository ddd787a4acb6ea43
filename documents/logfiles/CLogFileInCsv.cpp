#include "documents/logfiles/CLogFileInCsv.h"

#include <io.h>
#include <share.h>

#include <cstring>
#include <stdexcept>
#include <string_view>

#include "documents/logfiles/LogValueNumber.h"
#include "framework/CSingleLock.h"

namespace {

// Reads of this size keep the C runtime's per-call cost far below the parsing.
const size_t BLOCK_SIZE = 1 << 20;

void RefuseNul(const char* bytes, size_t count)
{
    if (std::memchr(bytes, '\0', count) != nullptr)
        throw std::runtime_error("log file line contains a NUL character");
}

}  // namespace

std::vector<std::string> SplitCsvLine(const std::string& line, char separator, char quote)
{
    CsvLineFields_t fields;
    fields.Split(line, separator, quote);
    std::vector<std::string> split;
    for (size_t i = 0; i < fields.Count(); ++i)
        split.emplace_back(fields.Field(i));
    return split;
}

CLogFileInCsv::~CLogFileInCsv()
{
    CloseFile();
}

// Binary mode: the reader drops the carriage return of a text-mode line end itself.
void CLogFileInCsv::Open(const wchar_t* path)
{
    CSingleLock lock(&m_lock, TRUE);
    ClearColumns();
    CloseFile();
    OpenFile(_wfsopen(path, L"rb", _SH_DENYNO));
}

void CLogFileInCsv::Open(const char* path)
{
    CSingleLock lock(&m_lock, TRUE);
    ClearColumns();
    CloseFile();
    OpenFile(_fsopen(path, "rb", _SH_DENYNO));
}

void CLogFileInCsv::OpenFile(FILE* file)
{
    if (!file)
        throw std::runtime_error("unable to open log file");
    m_file = file;
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
    m_block.clear();
    m_lineStart = 0;
    m_filled = 0;
    m_searchFrom = 0;
    m_columnCount = 0;
    m_fields.Split("");
}

bool CLogFileInCsv::ReadMore()
{
    // The unfinished line moves to the front; a line longer than the room left grows the block.
    if (m_lineStart > 0) {
        std::memmove(m_block.data(), m_block.data() + m_lineStart, m_filled - m_lineStart);
        m_filled -= m_lineStart;
        m_searchFrom -= m_lineStart;
        m_lineStart = 0;
    }
    if (m_block.size() - m_filled < BLOCK_SIZE / 2)
        m_block.resize(m_filled + BLOCK_SIZE);
    // Straight from the file's handle: the C runtime's stream, once at the end, did not
    // see what a writer added later.
    DWORD got = 0;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_file)));
    if (!::ReadFile(handle, m_block.data() + m_filled, static_cast<DWORD>(m_block.size() - m_filled), &got, nullptr))
        throw std::runtime_error("failure reading logfile line");
    m_filled += got;
    return got > 0;
}

// Lines of any length: the Logger writes rows as wide as its columns.
bool CLogFileInCsv::ReadLine()
{
    if (!m_file)
        return false;
    for (;;) {
        const char* const bytes = m_block.data();
        const char* const lineFeed =
            static_cast<const char*>(std::memchr(bytes + m_searchFrom, '\n', m_filled - m_searchFrom));
        if (lineFeed) {
            std::string_view line(bytes + m_lineStart, static_cast<size_t>(lineFeed - bytes) - m_lineStart);
            // A NUL is refused rather than taken for the end of a line or of the file.
            RefuseNul(line.data(), line.size());
            m_lineStart = m_searchFrom = static_cast<size_t>(lineFeed - bytes) + 1;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            m_fields.Split(line);
            return true;
        }
        m_searchFrom = m_filled;
        if (!ReadMore()) {
            // End of file, possibly inside a line a writer has not finished: read it whole later.
            RefuseNul(m_block.data() + m_lineStart, m_filled - m_lineStart);
            return false;
        }
    }
}

bool CLogFileInCsv::ReadAndConvertRecord(LogSampleStore_t& samples)
{
    CSingleLock lock(&m_lock, TRUE);
    if (!ReadLine())
        return false;
    if (m_columnCount == 0) {
        ClearColumns();
        if (m_fields.Count() < 2)
            throw std::runtime_error("the log file has only timestamps (no data)");
        for (size_t i = 1; i < m_fields.Count(); ++i)
            AddColumn(int(i - 1), std::string(m_fields.Field(i)), LOG_SAMPLE_TYPE_NUMBER);
        m_columnCount = m_fields.Count() - 1;
        if (!ReadLine())
            return false;
    }
    if (m_fields.Count() == 0)
        throw std::runtime_error("log file line had no data fields");
    if (m_fields.Count() != m_columnCount + 1)
        throw std::runtime_error("line \"" + m_fields.Joined() +
                                 "\" had the wrong number of columns (not the same as the header)");
    // A malformed stamp stops the file with the parser's error; a well-formed stamp of a day
    // that does not exist gives the row's samples an invalid time, and the rest stays readable.
    const COleDateTime time = m_stamps.Parse(m_fields.Field(0));
    // The columns' keys follow one another: one walk along the store instead of a lookup each.
    auto column = samples.lower_bound(0);
    for (size_t c = 1; c < m_fields.Count(); ++c) {
        const int key = int(c - 1);
        if (column == samples.end() || column->first != key)
            column = samples.emplace_hint(column, key, LogSampleList_t());
        double value = 0;
        // An empty field is a row without a value in that column (the Logger writes one for
        // a device that gave none): a gap, not a text.
        if (m_fields.Field(c).empty())
            value = LogGapValue();
        else if (!ParseWholeNumber(m_fields.Field(c), value))
            SetColumnValueType(key, LOG_SAMPLE_TYPE_TEXT);
        column->second.push_back(LogSample_t{time, value});
        ++column;
    }
    return true;
}
