// Writer of CSV log files: a header of column names, then one quoted row per line.
#pragma once
#include "framework/FrameworkBase.h"

#include <cstdio>
#include <list>
#include <string>

#include "documents/CPlotVariableId.h"

class CLogFileOutCsv
{
public:
    CLogFileOutCsv() = default;
    CLogFileOutCsv(const CLogFileOutCsv&) = delete;
    CLogFileOutCsv& operator=(const CLogFileOutCsv&) = delete;
    ~CLogFileOutCsv();

    // False when a column with this id exists.
    bool AddColumn(const std::string& name, const CPlotVariableId& id);
    // False when no column has this id.
    bool SetValue(const CPlotVariableId& id, const std::string& value);
    void ClearValues();
    void RemoveAllColumns() { m_columns.clear(); }
    size_t GetColumnCount() const { return m_columns.size(); }
    // Writes the header of the columns added so far; false when open already or unable.
    // A failure leaves the file closed.
    bool Open(const char* path);
    // Null time: now. Without the partial flag nothing is written while a value is unset;
    // an unset value of a partial line is an empty field. A failed write cuts the file back
    // to its last whole line and closes it (GetError says why).
    bool WriteLine(const char* time, bool partial);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    // 0 when the size cannot be read.
    unsigned long long GetFileSize();
    // Why the last Open or write failed; empty after a successful Open.
    const std::string& GetError() const { return m_error; }

private:
    struct Column_t
    {
        CPlotVariableId id;
        std::string name;
        std::string value;
        bool isSet;
    };

    bool WriteText(const std::string& text);
    // Cuts the file back to its last whole line, closes it and keeps the reason (a
    // system error code).
    void FailWrite(unsigned long error);

    std::string m_path;
    FILE* m_file = nullptr;
    // The file's size after its last whole line.
    long long m_wholeSize = 0;
    std::string m_error;
    std::list<Column_t> m_columns;
};
