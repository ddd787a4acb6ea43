// What a device search posted to a test's window: the found endpoints (taken over and
// kept by value), the progress steps and the end notice.
#pragma once
#include "modbus/ModbusEndpoint.h"
#include "tests/support/MessageCollector.h"

#include <vector>

namespace search_test {

const UINT kSearchMessage = WM_APP + 4;

class SearchResults
{
public:
    SearchResults();

    HWND Window() const { return m_collector.Window(); }
    testing_support::MessageCollector& Collector() { return m_collector; }

    // Pumps until the predicate holds or the time-out passed.
    bool WaitUntil(bool (*done)(const SearchResults&), DWORD timeoutMs);
    bool WaitForDone(DWORD timeoutMs);

    const std::vector<ModbusEndpoint_t>& Found() const { return m_found; }
    int Progress() const { return m_progress; }
    int Done() const { return m_done; }
    int Total() const { return static_cast<int>(m_collector.Count(kSearchMessage)); }
    const ModbusEndpoint_t* FindUnit(int unitId) const;

private:
    testing_support::MessageCollector m_collector;
    std::vector<ModbusEndpoint_t> m_found;
    int m_progress = 0;
    int m_done = 0;
};

} // namespace search_test
