// Reader of CSV log files; follows a file that a writer is still growing.
#pragma once
#include "framework/FrameworkBase.h"

#include <cstdio>
#include <string>
#include <vector>

#include "documents/logfiles/CLogFileIn.h"

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
    void CloseFile();

    FILE* m_file = nullptr;
    long long m_offset = 0;
    std::vector<std::string> m_fields;
    size_t m_columnCount = 0;
};
