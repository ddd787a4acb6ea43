// Reader of CSV log files; follows a file that a writer is still growing.
#pragma once
#include "framework/FrameworkBase.h"

#include <cstdio>
#include <string>
#include <vector>

#include "documents/CUtcTimestampParser.h"
#include "documents/logfiles/CLogFileIn.h"
#include "documents/logfiles/CsvLineFields_t.h"

// A backslash makes the next character literal; quotes toggle quoted mode and are dropped.
std::vector<std::string> SplitCsvLine(const std::string& line, char separator = ',', char quote = '"');

class CLogFileInCsv : public CLogFileIn
{
public:
    CLogFileInCsv() = default;
    ~CLogFileInCsv() override;

    void Open(const wchar_t* path) override;
    void Open(const char* path) override;
    void Close() override;
    bool IsOpen() override;
    // The header on the first call, then one data line a call.
    bool ReadAndConvertRecord(LogSampleStore_t& samples) override;
    // False at the end of the file and while the last line is still unfinished.
    bool ReadLine();

private:
    void OpenFile(FILE* file);
    void CloseFile();
    // Appends what the file holds beyond the bytes read so far; false when nothing came.
    bool ReadMore();

    FILE* m_file = nullptr;
    // Bytes read from the file and not yet taken as lines: [m_lineStart, m_filled).
    std::vector<char> m_block;
    size_t m_lineStart = 0;
    size_t m_filled = 0;
    // Where the search for the current line's end goes on, so a long line is scanned once.
    size_t m_searchFrom = 0;
    CsvLineFields_t m_fields;
    size_t m_columnCount = 0;
    CUtcTimestampParser m_stamps;
};
