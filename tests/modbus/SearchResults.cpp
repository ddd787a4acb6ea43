#include "tests/modbus/SearchResults.h"

#include "modbus/ModbusSearchJob.h"

namespace search_test {

SearchResults::SearchResults()
{
    m_collector.SetOnMessage([this](const testing_support::CollectedMessage& message) {
        if (message.message != kSearchMessage)
            return;
        switch (message.lParam) {
        case SEARCH_FOUND: {
            // The receiver owns the endpoint.
            ModbusEndpoint_t* endpoint = reinterpret_cast<ModbusEndpoint_t*>(message.wParam);
            m_found.push_back(*endpoint);
            delete endpoint;
            break;
        }
        case SEARCH_PROGRESS:
            ++m_progress;
            break;
        case SEARCH_DONE:
            ++m_done;
            break;
        default:
            break;
        }
    });
}

bool SearchResults::WaitUntil(bool (*done)(const SearchResults&), DWORD timeoutMs)
{
    return m_collector.WaitUntil([this, done](const std::vector<testing_support::CollectedMessage>&) {
        return done(*this);
    }, timeoutMs);
}

bool SearchResults::WaitForDone(DWORD timeoutMs)
{
    return WaitUntil([](const SearchResults& results) { return results.Done() > 0; }, timeoutMs);
}

const ModbusEndpoint_t* SearchResults::FindUnit(int unitId) const
{
    for (const ModbusEndpoint_t& endpoint : m_found)
        if (endpoint.unitId == unitId)
            return &endpoint;
    return nullptr;
}

} // namespace search_test
