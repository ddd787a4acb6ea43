// Which measured value each column of a Logger row holds: the newest one measured before
// the row is written (the row's time), so a device polled less often than the rows repeats
// its value in the next row. A column is empty exactly while its device is judged not
// answering (the judgement that marks it in the device tree and greys it on the State
// display), and a value measured before the device's last mark is never written again: its
// columns are empty from the first row after the mark until the row after its next answer.
// One value a column, however long the interval.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CPlotVariableId.h"

#include <climits>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The first row waits at most this long for a value of every answering device: a poll
// period and a silent device's time-outs on a busy line.
const long long LOGGER_FIRST_ROW_WAIT_MS = 5000;

class LoggerValuePicker_t
{
public:
    typedef std::vector<std::pair<CPlotVariableId, std::string>> Row_t;

    // Only these columns keep values from now on (the values they hold already stay), and
    // the judgements start afresh.
    void KeepColumns(const std::set<CPlotVariableId>& ids);
    // A value measured at timeMs (any one clock, the same for every call); a column that
    // does not exist yet is made.
    void Arrive(const CPlotVariableId& id, long long timeMs, const std::string& text);
    // The device's judgement as seen at timeMs. Devices never judged count as answering.
    void Judge(int deviceId, bool answering, long long timeMs);
    // The row written now: one value per column that has one to give.
    Row_t TakeRow() const;
    // Whether every column of a device judged answering holds a value: the first row
    // waits for that, a few seconds at most.
    bool EveryAnsweringColumnHeld() const;
    size_t HeldValues() const;

private:
    struct Column_t
    {
        bool held = false;
        long long timeMs = 0;
        std::string text;
    };
    struct Judgement_t
    {
        bool answering = true;
        long long markedAtMs = LLONG_MIN;
    };

    bool IsAnswering(int deviceId) const;

    std::map<CPlotVariableId, Column_t> m_columns;
    std::map<int, Judgement_t> m_judgements;
};
