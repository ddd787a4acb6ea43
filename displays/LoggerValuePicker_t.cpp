#include "displays/LoggerValuePicker_t.h"

#include <iterator>

void LoggerValuePicker_t::KeepColumns(const std::set<CPlotVariableId>& ids)
{
    for (auto column = m_columns.begin(); column != m_columns.end();)
        column = ids.count(column->first) != 0 ? std::next(column) : m_columns.erase(column);
    for (const CPlotVariableId& id : ids)
        m_columns[id];
    m_judgements.clear();
}

void LoggerValuePicker_t::Arrive(const CPlotVariableId& id, long long timeMs, const std::string& text)
{
    Column_t& column = m_columns[id];
    column.held = true;
    column.timeMs = timeMs;
    column.text = text;
}

void LoggerValuePicker_t::Judge(int deviceId, bool answering, long long timeMs)
{
    Judgement_t& judgement = m_judgements[deviceId];
    if (judgement.answering && !answering)
        judgement.markedAtMs = timeMs;
    judgement.answering = answering;
}

bool LoggerValuePicker_t::IsAnswering(int deviceId) const
{
    const auto judged = m_judgements.find(deviceId);
    return judged == m_judgements.end() || judged->second.answering;
}

LoggerValuePicker_t::Row_t LoggerValuePicker_t::TakeRow() const
{
    Row_t row;
    for (const auto& entry : m_columns)
    {
        const Column_t& column = entry.second;
        const int device = entry.first.GetDocumentId();
        if (!column.held || !IsAnswering(device))
            continue;
        const auto judged = m_judgements.find(device);
        if (judged != m_judgements.end() && column.timeMs < judged->second.markedAtMs)
            continue;
        row.emplace_back(entry.first, column.text);
    }
    return row;
}

bool LoggerValuePicker_t::EveryAnsweringColumnHeld() const
{
    for (const auto& entry : m_columns)
        if (!entry.second.held && IsAnswering(entry.first.GetDocumentId()))
            return false;
    return true;
}

size_t LoggerValuePicker_t::HeldValues() const
{
    size_t values = 0;
    for (const auto& column : m_columns)
        values += column.second.held ? 1 : 0;
    return values;
}
