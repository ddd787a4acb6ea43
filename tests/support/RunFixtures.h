// Shared pieces of the programming-run tests: the test device on a pty or on loopback
// TCP, what a run posted (in order, with its texts), and the device's journal of requests.
#pragma once
#include <gtest/gtest.h>

#include "tests/support/MessageCollector.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestDevice.h"

#include <string>
#include <vector>

namespace wizard_runs {

// One posted programming message: "TEXT <line>", "FAILED <code>", "PROGRESS <n>/<total>",
// "TICK", "DONE" or "CONNECTED".
class RunRecorder
{
public:
    RunRecorder();
    HWND Window() const { return m_collector.Window(); }
    // Pumps until DONE or FAILED was posted (bounded); true when one came.
    bool WaitForEnd(DWORD timeoutMs = 30000);
    // Pumps for a while to see that nothing more comes.
    void Drain(DWORD ms) { m_collector.PumpFor(ms); }
    const std::vector<std::string>& Events() const { return m_events; }
    std::vector<std::string> Texts() const;
    int Count(const std::string& event) const;
    bool Has(const std::string& event) const { return Count(event) > 0; }
    // The PROGRESS events' counts in order.
    std::vector<int> ProgressCounts() const;
    void Clear() { m_events.clear(); }

private:
    testing_support::MessageCollector m_collector;
    std::vector<std::string> m_events;
};

struct JournalRequest
{
    int function = 0;
    int address = 0;
    int count = 0;
    int value = 0;
};

// A test device started for one test: on a pty pair (serial) or on loopback TCP.
class DeviceUnderTest
{
public:
    explicit DeviceUnderTest(testing_support::PeerHost& host) : m_host(host) {}
    ~DeviceUnderTest();
    // False with the reason in Error().
    bool StartSerial(const std::string& profile);
    bool StartTcp(const std::string& profile);
    const std::string& Error() const { return m_error; }
    int ComPort() const { return m_pair.com; }
    int TcpPort() const { return m_device.tcpPort; }
    // The requests journalled so far that are not device identification.
    std::vector<JournalRequest> Requests() const;
    // Waits (bounded) until at least count register requests are journalled.
    std::vector<JournalRequest> WaitForRequests(size_t count, DWORD timeoutMs = 10000) const;
    // The longest the device wrote an answer late (its process was not run), in seconds.
    double LongestLateAnswer() const;

private:
    testing_support::PeerHost& m_host;
    testing_support::SerialPair m_pair;
    testing_support::StartedTestDevice m_device;
    std::string m_error;
};

// Starts a thread on the context, waits for its end (DONE or FAILED), lets late messages
// in and stops the thread, which must then end by itself.
template <class Thread, class Context>
void RunToEnd(Thread& thread, const Context& context, RunRecorder& recorder)
{
    ASSERT_TRUE(thread.Start(recorder.Window(), context));
    ASSERT_TRUE(recorder.WaitForEnd()) << "the run neither finished nor failed";
    recorder.Drain(100);
    EXPECT_TRUE(thread.Stop(5000));
}

// Points the program folder at the build tree, where devices.xml lies.
void UseBuildTreeDevicesXml();

// Requests of one function in journal order, and whether their addresses ascend with
// each register once.
std::vector<JournalRequest> OfFunction(const std::vector<JournalRequest>& requests, int function);
bool StrictlyAscending(const std::vector<JournalRequest>& requests);

} // namespace wizard_runs
