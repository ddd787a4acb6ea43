// The reader interface shared by the XML and the CSV log-file readers.
#pragma once
#include "framework/FrameworkBase.h"

#include <oleauto.h>

#include <deque>
#include <map>
#include <string>

#include "framework/CCriticalSection.h"
#include "framework/COleDateTime.h"

const VARTYPE LOG_SAMPLE_TYPE_NUMBER = VT_R8;
const VARTYPE LOG_SAMPLE_TYPE_TEXT = VT_BSTR;

struct LogSample_t
{
    COleDateTime time;
    // NaN where the row had no value (IsLogGap): the graph shows a gap there.
    double value;
};

double LogGapValue();
bool IsLogGap(double value);
// A deque: a long log's samples take one allocation per block of them, not one each.
typedef std::deque<LogSample_t> LogSampleList_t;
// Column key to its samples, each list in the order read.
typedef std::map<int, LogSampleList_t> LogSampleStore_t;

class CLogFileIn
{
public:
    struct Column_t
    {
        std::string name;
        VARTYPE valueType;
    };
    typedef std::map<int, Column_t> ColumnMap_t;

    CLogFileIn() = default;
    CLogFileIn(const CLogFileIn&) = delete;
    CLogFileIn& operator=(const CLogFileIn&) = delete;
    virtual ~CLogFileIn() = default;

    virtual void Open(const wchar_t* path) = 0;
    virtual void Open(const char* path) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() = 0;
    // Appends the samples not yet served; false when there were none.
    virtual bool ReadAndConvertRecord(LogSampleStore_t& samples) = 0;

    void ClearColumns();
    bool HasColumn(int key) const;
    // VT_NULL for a key that no column has.
    VARTYPE GetColumnValueType(int key) const;
    const ColumnMap_t& GetColumns() const { return m_columns; }

protected:
    void AddColumn(int key, const std::string& name, VARTYPE valueType);
    void SetColumnValueType(int key, VARTYPE valueType);

    CCriticalSection m_lock;
    ColumnMap_t m_columns;
};
