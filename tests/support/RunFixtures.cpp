#include "tests/support/RunFixtures.h"

#include "shell/ProgramFolders.h"
#include "tests/support/Polling.h"
#include "tests/support/TestPaths.h"
#include "wizards/framework/ProgrammingMessages.h"

#include <cstdlib>
#include <algorithm>
#include <fstream>

namespace wizard_runs {

RunRecorder::RunRecorder()
{
    m_collector.SetOnMessage([this](const testing_support::CollectedMessage& m) {
        switch (m.message)
        {
        case WM_APP_PROG_TEXT:
            m_events.push_back("TEXT " + std::string(m.wParam ? reinterpret_cast<const char*>(m.wParam) : "(null)"));
            FreeProgrammingText(m.wParam);
            break;
        case WM_APP_PROG_FAILED:
            m_events.push_back("FAILED " + std::to_string(static_cast<int>(m.wParam)));
            break;
        case WM_APP_PROG_PROGRESS:
            m_events.push_back("PROGRESS " + std::to_string(m.wParam) + "/" + std::to_string(m.lParam));
            break;
        case WM_APP_PROG_DONE:
            m_events.push_back("DONE");
            break;
        case WM_APP_PROG_TICK:
            m_events.push_back("TICK");
            break;
        case WM_APP_PROG_CONNECTED:
            m_events.push_back("CONNECTED");
            break;
        default:
            m_events.push_back("OTHER " + std::to_string(m.message));
        }
    });
}

bool RunRecorder::WaitForEnd(DWORD timeoutMs)
{
    return m_collector.WaitUntil(
        [this](const std::vector<testing_support::CollectedMessage>&) {
            for (const std::string& event : m_events)
                if (event == "DONE" || event.compare(0, 7, "FAILED ") == 0)
                    return true;
            return false;
        },
        timeoutMs);
}

std::vector<std::string> RunRecorder::Texts() const
{
    std::vector<std::string> texts;
    for (const std::string& event : m_events)
        if (event.compare(0, 5, "TEXT ") == 0)
            texts.push_back(event.substr(5));
    return texts;
}

int RunRecorder::Count(const std::string& event) const
{
    int count = 0;
    for (const std::string& e : m_events)
        count += e == event;
    return count;
}

std::vector<int> RunRecorder::ProgressCounts() const
{
    std::vector<int> counts;
    for (const std::string& event : m_events)
        if (event.compare(0, 9, "PROGRESS ") == 0)
            counts.push_back(std::atoi(event.c_str() + 9));
    return counts;
}

DeviceUnderTest::~DeviceUnderTest()
{
    if (m_device.id)
        m_host.Stop(m_device.id);
    if (m_pair.id)
        m_host.Stop(m_pair.id);
}

bool DeviceUnderTest::StartSerial(const std::string& profile)
{
    m_pair = m_host.OpenSerialPair();
    if (m_pair.id == 0)
    {
        m_error = "no serial pair: " + m_host.Error();
        return false;
    }
    m_device = testing_support::StartTestDevice(m_host, "tests/wizard_runs/device", profile, {"--rtu", m_pair.peerPath},
                                                180);
    m_error = m_device.error;
    return m_device.error.empty() && m_device.id != 0;
}

bool DeviceUnderTest::StartTcp(const std::string& profile)
{
    m_device = testing_support::StartTestDevice(m_host, "tests/wizard_runs/device", profile, {"--tcp-port", "0"}, 180);
    m_error = m_device.error;
    return m_device.error.empty() && m_device.id != 0 && m_device.tcpPort > 0;
}

std::vector<JournalRequest> DeviceUnderTest::Requests() const
{
    std::vector<JournalRequest> requests;
    std::ifstream in(m_device.journalPath);
    std::string line;
    while (std::getline(in, line))
    {
        JournalRequest request;
        request.function = std::atoi(testing_support::PeerHost::Field(line, "function").c_str());
        if (request.function == 43 || request.function == 0)
            continue;
        request.address = std::atoi(testing_support::PeerHost::Field(line, "address").c_str());
        request.count = std::atoi(testing_support::PeerHost::Field(line, "count").c_str());
        request.value = std::atoi(testing_support::PeerHost::Field(line, "value").c_str());
        requests.push_back(request);
    }
    return requests;
}

double DeviceUnderTest::LongestLateAnswer() const
{
    return testing_support::LongestLateAnswer(m_device.journalPath);
}

std::vector<JournalRequest> DeviceUnderTest::WaitForRequests(size_t count, DWORD timeoutMs) const
{
    std::vector<JournalRequest> requests;
    testing_support::PollUntil(
        [&] {
            requests = Requests();
            return requests.size() >= count;
        },
        timeoutMs);
    return requests;
}

void UseBuildTreeDevicesXml()
{
    const std::string folder = testing_support::BuildPath("");
    GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
}

std::vector<JournalRequest> OfFunction(const std::vector<JournalRequest>& requests, int function)
{
    std::vector<JournalRequest> chosen;
    for (const JournalRequest& request : requests)
        if (request.function == function)
            chosen.push_back(request);
    return chosen;
}

bool StrictlyAscending(const std::vector<JournalRequest>& requests)
{
    for (size_t i = 1; i < requests.size(); ++i)
        if (requests[i].address <= requests[i - 1].address)
            return false;
    return true;
}

} // namespace wizard_runs
