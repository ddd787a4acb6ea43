#include "displays/LoggerValuePicker_t.h"

void LoggerValuePicker_t::AddColumn(const CPlotVariableId& id)
{
    m_columns[id];
}

bool LoggerValuePicker_t::Arrive(const CPlotVariableId& id, long long timeMs, const std::string& text)
{
    const auto column = m_columns.find(id);
    if (column == m_columns.end())
        return false;
    column->second.push_back(Arrival_t{timeMs, text});
    return true;
}

bool LoggerValuePicker_t::FirstRowIsDue(long long startMs, long long rowMs, long long nextRowMs) const
{
    if (rowMs - startMs >= LOGGER_FRESHNESS_MS)
        return true;
    for (const auto& column : m_columns)
    {
        const Pending_t& pending = column.second;
        if (pending.empty() || !IsFresh(pending.back(), rowMs))
            return false;
        const bool two = pending.size() >= 2 && IsFresh(pending[pending.size() - 2], rowMs);
        if (!two && KeepsNewest(pending, rowMs, nextRowMs))
            return false;
    }
    return true;
}

LoggerValuePicker_t::Row_t LoggerValuePicker_t::TakeRow(long long rowMs, long long nextRowMs)
{
    Row_t row;
    for (auto& column : m_columns)
    {
        Pending_t& pending = column.second;
        while (!pending.empty() && !IsFresh(pending.front(), rowMs))
            pending.pop_front();
        if (pending.empty())
            continue;
        const bool keepNewest = pending.size() >= 2 && KeepsNewest(pending, rowMs, nextRowMs);
        const size_t taken = keepNewest ? pending.size() - 2 : pending.size() - 1;
        row.emplace_back(column.first, pending[taken].text);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(taken) + 1);
    }
    return row;
}
