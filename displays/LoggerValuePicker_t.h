// Which measured value each column of a Logger row holds. Polls follow the hub's ticks
// counted from the program's start and reach us with a jitter of their own; rows follow the
// wall clock. So a poll near a row's moment falls on either side of it, one row sees two
// values of a device and the next none. Each column keeps the values not yet written, with
// the time each arrived:
// - a row drops the values older than the freshness limit; none left is an empty field;
// - of two or more it takes the one before the newest when the newest will still be fresh
//   at the next row: a double arrival waits for the next row, which would get none;
// - else it takes the newest (a Logger slower than the polls writes the latest value);
// - the values older than the one taken are dropped: none is written twice.
// The first row waits until every column can give it a value and keep one back where the
// rule would keep one (a poll that comes late later on then finds one waiting), and no
// longer than a value stays fresh: a device silent from the start has its columns empty.
// A device that stops answering has its columns empty from the next row or the one after.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CPlotVariableId.h"
#include "documents/StorageDispatcher_t.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Devices poll on every tenth tick.
const long long LOGGER_POLL_PERIOD_MS = static_cast<long long>(DISPATCH_TIMER_PERIOD_MS) * DISPATCH_TIME_EVERY_TICKS;
// A poll's answer may come up to about a period late (behind the other devices of a serial
// line, or after a retry); a longer limit would make a Logger at two periods keep the
// newest value back and write the one before it.
const long long LOGGER_FRESHNESS_MS = 2 * LOGGER_POLL_PERIOD_MS;

class LoggerValuePicker_t
{
public:
    typedef std::vector<std::pair<CPlotVariableId, std::string>> Row_t;

    void AddColumn(const CPlotVariableId& id);
    void RemoveAllColumns() { m_columns.clear(); }
    // Times in milliseconds on any one clock. False when no column has the id.
    bool Arrive(const CPlotVariableId& id, long long timeMs, const std::string& text);
    // Whether the first row, at rowMs with the next due at nextRowMs, is written now, the
    // recording having started at startMs.
    bool FirstRowIsDue(long long startMs, long long rowMs, long long nextRowMs) const;
    // The values of the row at rowMs, the next one due at nextRowMs: one per column that
    // has one, taken out of the pending ones.
    Row_t TakeRow(long long rowMs, long long nextRowMs);

private:
    struct Arrival_t
    {
        long long timeMs;
        std::string text;
    };
    typedef std::deque<Arrival_t> Pending_t;

    static bool IsFresh(const Arrival_t& arrival, long long atMs) { return atMs - arrival.timeMs <= LOGGER_FRESHNESS_MS; }
    // Strictly, and a value that came after the row's moment (while its tick was on the
    // way) counted as come at it: at two periods or more the newest is never kept back.
    static bool KeepsNewest(const Pending_t& pending, long long rowMs, long long nextRowMs)
    {
        return nextRowMs - std::min(pending.back().timeMs, rowMs) < LOGGER_FRESHNESS_MS;
    }

    std::map<CPlotVariableId, Pending_t> m_columns;
};
