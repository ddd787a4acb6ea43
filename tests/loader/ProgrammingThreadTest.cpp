// Whole programming runs over a pty against the test bootloader (tests/device/qvdevice.py
// --bootloader): the posted messages, the log lines and what the device received.
#include "loader/CComPort.h"
#include "loader/LoaderCrc16.h"
#include "loader/ProgrammingThread.h"
#include "tests/support/Polling.h"
#include "tests/support/MessageCollector.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

using testing_support::BuildPath;
using testing_support::BuildUnixPath;
using testing_support::CollectedMessage;
using testing_support::MessageCollector;
using testing_support::PeerHost;
using testing_support::SerialPair;

namespace {

struct RecordSend {
    int record = 0;
    int attempt = 0;
    bool match = false;
    double time = 0;
};

std::vector<FirmwareRecord> MakeRecords(int count)
{
    std::vector<FirmwareRecord> records(count);
    for (int i = 0; i < count; ++i) {
        records[i].dataSize = 8;
        for (int b = 0; b < 8; ++b)
            records[i].data[b] = static_cast<uint8_t>(i * 8 + b + 0x30);
        records[i].crc = LoaderCrc16(0, records[i].data, 8);
    }
    return records;
}

// The firmware file the bootloader checks the frames against: format 2, 8-byte records.
void WriteFirmwareFile(const std::string& path, uint32_t productId, const std::vector<FirmwareRecord>& records)
{
    std::string blob = "Test firmware\x1a";
    auto put16 = [&](unsigned value) { blob += char(value & 0xFF); blob += char(value >> 8); };
    put16(0);
    put16(2);
    blob += char(8);
    for (int shift = 0; shift < 32; shift += 8)
        blob += char((productId >> shift) & 0xFF);
    put16(static_cast<unsigned>(records.size()));
    for (const FirmwareRecord& record : records) {
        blob.append(reinterpret_cast<const char*>(record.data), record.dataSize);
        blob += char(record.crc >> 8);
        blob += char(record.crc & 0xFF);
    }
    std::ofstream(path, std::ios::binary) << blob;
}

class ProgrammingThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Connected()) << host.Error();
        pair = host.OpenSerialPair();
        ASSERT_NE(0, pair.id) << host.Error();
        folder = "tests/loader/prog-" + testing_support::ProcessTag() + "-" + std::to_string(++s_instance);
        ASSERT_TRUE(testing_support::EnsureDirectory(BuildPath(folder)));
        collector.SetOnMessage([this](const CollectedMessage& message) {
            if (message.message == WM_APP_LOAD_LOG) {
                char* text = reinterpret_cast<char*>(message.wParam);
                logs.emplace_back(text);
                logLengths.push_back(message.lParam);
                delete[] text;
            }
        });
    }

    void TearDown() override
    {
        thread.Stop(5000);
        if (device)
            host.Stop(device);
    }

    // Starts the bootloader for these records with the JSON script, then the run.
    void StartRun(int productId, int recordCount, const std::string& script, int passThrough = 0,
                  int attentionCount = 1)
    {
        records = MakeRecords(recordCount);
        WriteFirmwareFile(BuildPath(folder + "/fw.qvz"), productId, records);
        std::ofstream(BuildPath(folder + "/script.json")) << script;
        const std::string portFile = BuildPath(folder + "/ports");
        DeleteFileA(portFile.c_str());
        // The journal is appended to: a run of an earlier test program must not count.
        DeleteFileA(BuildPath(folder + "/journal.jsonl").c_str());
        device = host.SpawnPython("qvdevice.py",
                                  {"--bootloader", pair.peerPath, "--firmware", BuildUnixPath(folder + "/fw.qvz"),
                                   "--script", BuildUnixPath(folder + "/script.json"),
                                   "--journal", BuildUnixPath(folder + "/journal.jsonl"),
                                   "--port-file", BuildUnixPath(folder + "/ports"), "--lifetime", "120"});
        ASSERT_NE(0, device) << host.Error();
        for (int wait = 0; wait < 200 && GetFileAttributesA(portFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            Sleep(50);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(portFile.c_str())) << "bootloader not ready";

        ProgrammingSettings settings;
        settings.comPort = pair.com;
        settings.productId = productId;
        settings.passThroughAddress = passThrough;
        settings.attentionResponseCount = attentionCount;
        settings.records.assign(records.begin(), records.end());
        ASSERT_TRUE(thread.Start(collector.Window(), settings));
    }

    // Waits for DONE or FAILED; returns that message id (0 when neither came in time).
    UINT WaitForEnd(DWORD timeoutMs = 30000)
    {
        collector.WaitUntil([](const std::vector<CollectedMessage>& all) {
            return std::any_of(all.begin(), all.end(), [](const CollectedMessage& m) {
                return m.message == WM_APP_LOAD_DONE || m.message == WM_APP_LOAD_FAILED;
            });
        }, timeoutMs);
        // Log lines posted after the end message.
        collector.PumpFor(300);
        if (collector.Count(WM_APP_LOAD_DONE))
            return WM_APP_LOAD_DONE;
        return collector.Count(WM_APP_LOAD_FAILED) ? WM_APP_LOAD_FAILED : 0;
    }

    // Log texts without their time prefix.
    std::vector<std::string> LogTexts() const
    {
        std::vector<std::string> texts;
        for (const std::string& line : logs)
            texts.push_back(line.size() >= 12 ? line.substr(12) : line);
        return texts;
    }

    // Log texts with a well-formed run duration written as "N": how long a run takes is
    // the machine's business.
    std::vector<std::string> LogTextsWithoutDuration() const
    {
        static const std::regex duration("^Programming time: [0-9]+ sec$");
        std::vector<std::string> texts = LogTexts();
        for (std::string& text : texts)
            text = std::regex_replace(text, duration, "Programming time: N sec");
        return texts;
    }

    bool HasLog(const std::string& text) const
    {
        auto texts = LogTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    int CountLog(const std::string& text) const
    {
        auto texts = LogTexts();
        return static_cast<int>(std::count(texts.begin(), texts.end(), text));
    }

    std::vector<std::string> JournalLines(const std::string& event)
    {
        std::vector<std::string> lines;
        std::ifstream in(BuildPath(folder + "/journal.jsonl"));
        for (std::string line; std::getline(in, line);)
            if (PeerHost::Field(line, "event") == event)
                lines.push_back(line);
        return lines;
    }

    std::vector<RecordSend> Sends()
    {
        std::vector<RecordSend> sends;
        for (const std::string& line : JournalLines("record")) {
            RecordSend send;
            send.record = std::atoi(PeerHost::Field(line, "record").c_str());
            send.attempt = std::atoi(PeerHost::Field(line, "attempt").c_str());
            send.match = PeerHost::Field(line, "match") == "true";
            send.time = std::atof(PeerHost::Field(line, "time").c_str());
            sends.push_back(send);
        }
        return sends;
    }

    std::vector<std::pair<WPARAM, LPARAM>> Progress() const
    {
        std::vector<std::pair<WPARAM, LPARAM>> steps;
        for (const CollectedMessage& m : collector.Messages(WM_APP_LOAD_PROGRESS))
            steps.emplace_back(m.wParam, m.lParam);
        return steps;
    }

    std::vector<std::pair<WPARAM, LPARAM>> AllProgress(int total) const
    {
        std::vector<std::pair<WPARAM, LPARAM>> steps;
        for (int i = 1; i <= total; ++i)
            steps.emplace_back(i, total);
        return steps;
    }

    static int s_instance;
    PeerHost host;
    SerialPair pair;
    std::string folder;
    int device = 0;
    MessageCollector collector;
    ProgrammingThread thread;
    std::vector<FirmwareRecord> records;
    std::vector<std::string> logs;
    std::vector<LPARAM> logLengths;
};

int ProgrammingThreadTest::s_instance = 0;

TEST_F(ProgrammingThreadTest, ControllerIsProgrammedRecordByRecord)
{
    // The answer comes late, as on a busy machine: the attention bytes sent meanwhile
    // cross it on the line and are no record data.
    StartRun(1, 5, "{\"answer_late\": 2}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_DONE), WaitForEnd());

    EXPECT_EQ(0u, collector.Count(WM_APP_LOAD_FAILED));
    EXPECT_EQ(1u, collector.Count(WM_APP_LOAD_STARTED));
    EXPECT_EQ(AllProgress(5), Progress());
    // Started comes before the first record is accepted, done after the last.
    const auto& all = collector.Messages();
    auto index = [&](UINT id) {
        return std::find_if(all.begin(), all.end(), [id](const CollectedMessage& m) { return m.message == id; }) - all.begin();
    };
    EXPECT_LT(index(WM_APP_LOAD_STARTED), index(WM_APP_LOAD_PROGRESS));
    auto lastProgress = std::find_if(all.rbegin(), all.rend(),
                                     [](const CollectedMessage& m) { return m.message == WM_APP_LOAD_PROGRESS; });
    EXPECT_LT(all.rend() - lastProgress - 1, index(WM_APP_LOAD_DONE));

    const std::vector<std::string> expected = {
        "Searching for QV control...", "Please turn on the QV control.", "Connected to Varnix control",
        "Programming QV control.", "(This may take several minutes.  Please wait.)", "Total records: 5",
        "Programming time: N sec"};
    EXPECT_EQ(expected, LogTextsWithoutDuration());
    const std::regex prefix("^ {0,6}[0-9]{1,10}\\.[0-9]{3}: .*");
    for (size_t i = 0; i < logs.size(); ++i) {
        EXPECT_TRUE(std::regex_match(logs[i], prefix)) << logs[i];
        EXPECT_EQ(static_cast<LPARAM>(logs[i].size()), logLengths[i]);
    }

    EXPECT_GE(JournalLines("late_attention").size(), 2u);
    auto sends = Sends();
    ASSERT_EQ(5u, sends.size());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(i + 1, sends[i].record);
        EXPECT_EQ(1, sends[i].attempt);
        EXPECT_TRUE(sends[i].match) << "record " << i + 1 << " differs from the file";
    }
}

TEST_F(ProgrammingThreadTest, MeterIsProgrammedThroughTheControllersPassThrough)
{
    StartRun(7, 3, "{\"passthrough\": 5}", 5);
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_DONE), WaitForEnd());

    auto passThrough = JournalLines("passthrough");
    ASSERT_EQ(1u, passThrough.size());
    EXPECT_EQ("0565", PeerHost::Field(passThrough[0], "request").substr(0, 4));
    EXPECT_EQ("true", PeerHost::Field(passThrough[0], "ok"));
    EXPECT_EQ(AllProgress(3), Progress());
    const std::vector<std::string> expected = {
        "File is for a Meter.", "Putting control in pass-through mode.", "Control now in pass-through mode.",
        "Searching for QV control...", "Please plug the VXM-2 into the controller now.",
        "Connected to Varnix control", "Programming QV control.",
        "(This may take several minutes.  Please wait.)", "Total records: 3", "Programming time: N sec",
        "You will need to restart both your control and meter."};
    EXPECT_EQ(expected, LogTextsWithoutDuration());
}

TEST_F(ProgrammingThreadTest, RecordsAreSentAgainAfterRetryAndDelayedRetry)
{
    StartRun(4, 3, "{\"replies\": {\"1\": [32, 16], \"2\": [33, 16]}}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_DONE), WaitForEnd());

    auto sends = Sends();
    ASSERT_EQ(5u, sends.size());
    const int expected[5][2] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(expected[i][0], sends[i].record);
        EXPECT_EQ(expected[i][1], sends[i].attempt);
        EXPECT_TRUE(sends[i].match);
    }
    // 0x21 asks for a 100 ms pause before the frame is sent again.
    EXPECT_GE(sends[3].time - sends[2].time, 0.095);
    EXPECT_EQ(AllProgress(3), Progress());
    EXPECT_EQ(0, CountLog("* Warning: unexpected response byte 0x21"));
}

TEST_F(ProgrammingThreadTest, ThirdFailedSendOfOneRecordFailsTheRun)
{
    StartRun(1, 3, "{\"replies\": {\"2\": [32, 33, 32]}}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_FAILED), WaitForEnd());

    EXPECT_EQ(static_cast<WPARAM>(PROG_ERR_RETRIES), collector.Messages(WM_APP_LOAD_FAILED)[0].wParam);
    EXPECT_EQ(0u, collector.Count(WM_APP_LOAD_DONE));
    EXPECT_EQ(AllProgress(3).front(), Progress().at(0));
    EXPECT_EQ(1u, Progress().size());
    EXPECT_EQ("* Error: Exceeded maximum number of retransmissions on record 2", LogTexts().back());
    EXPECT_EQ(4u, Sends().size());
}

TEST_F(ProgrammingThreadTest, UnexpectedReplyAndIncompatibleFirmware)
{
    StartRun(1, 3, "{\"replies\": {\"1\": [85, 16], \"2\": [128]}}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_FAILED), WaitForEnd());

    EXPECT_EQ(static_cast<WPARAM>(PROG_ERR_INCOMPATIBLE), collector.Messages(WM_APP_LOAD_FAILED)[0].wParam);
    EXPECT_TRUE(HasLog("* Warning: unexpected response byte 0x55"));
    EXPECT_EQ("* Error: Incompatible firmware version", LogTexts().back());
    EXPECT_EQ(1u, Progress().size());
}

TEST_F(ProgrammingThreadTest, HalfDuplexEchoIsDetectedAndChecked)
{
    // A late answer: the echoes of the attention bytes sent meanwhile come before it.
    StartRun(5, 4, "{\"echo\": true, \"answer_late\": 2, \"echo_corrupt\": {\"record\": 2, \"attempt\": 1}}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_DONE), WaitForEnd());
    EXPECT_GE(JournalLines("late_attention").size(), 2u);

    EXPECT_EQ(1, CountLog("Note: control is talking half-duplex"));
    // Record 2's last echoed byte came back altered: treated as a delayed retry.
    const uint8_t lastByte = static_cast<uint8_t>(records[1].crc & 0xFF);
    char warning[128];
    snprintf(warning, sizeof warning,
             "* Warning: control did not echo the byte (expected 0x%02x, got 0x%02x)", lastByte, lastByte ^ 0xFF);
    EXPECT_EQ(1, CountLog(warning));
    EXPECT_EQ(AllProgress(4), Progress());
    EXPECT_EQ(5u, Sends().size());
}

TEST_F(ProgrammingThreadTest, SpuriousBytesAndSeveralAttentionResponses)
{
    StartRun(8, 2, "{\"spurious\": [85], \"attention_responses\": 3}", 0, 3);
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_DONE), WaitForEnd());

    EXPECT_TRUE(HasLog("Ignoring spurious RX byte 0x55"));
    EXPECT_TRUE(HasLog("(Ignoring spurious attention response byte #1; need 3.)"));
    EXPECT_TRUE(HasLog("(Ignoring spurious attention response byte #2; need 3.)"));
    EXPECT_FALSE(HasLog("(Ignoring spurious attention response byte #3; need 3.)"));
    EXPECT_EQ(AllProgress(2), Progress());
}

TEST_F(ProgrammingThreadTest, CancelWhileSearchingEndsTheRunWithoutAMessage)
{
    StartRun(1, 2, "{\"attention_delay\": 100}");
    ASSERT_TRUE(collector.WaitUntil([](const std::vector<CollectedMessage>& all) {
        return std::count_if(all.begin(), all.end(),
                             [](const CollectedMessage& m) { return m.message == WM_APP_LOAD_SEARCHING; }) >= 2;
    }, 15000));
    const DWORD before = GetTickCount();
    EXPECT_TRUE(thread.Stop(5000));
    EXPECT_LT(GetTickCount() - before, 1000u);
    collector.PumpFor(200);
    EXPECT_EQ(0u, collector.Count(WM_APP_LOAD_STARTED));
    EXPECT_EQ(0u, collector.Count(WM_APP_LOAD_FAILED));
    EXPECT_EQ(0u, collector.Count(WM_APP_LOAD_DONE));
    EXPECT_TRUE(JournalLines("attention").empty());
    // The attention bytes really went out: a notice comes before every tenth, so two
    // notices follow at least nineteen; the device journals each as it reads it.
    std::string received;
    testing_support::PollUntil([&] {
        received.clear();
        for (const std::string& line : JournalLines("rx"))
            received += PeerHost::Field(line, "data");
        return received.size() / 2 >= 19;
    }, 5000, 20);
    EXPECT_GE(received.size() / 2, 19u);
    EXPECT_EQ(std::string::npos, received.find_first_not_of("fe"));
}

TEST_F(ProgrammingThreadTest, FinalStatusFailureFailsTheRun)
{
    StartRun(1, 2, "{\"final\": 145}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_FAILED), WaitForEnd());
    EXPECT_EQ(static_cast<WPARAM>(PROG_ERR_PROGRAMMING_FAILED), collector.Messages(WM_APP_LOAD_FAILED)[0].wParam);
    EXPECT_EQ(AllProgress(2), Progress());
    EXPECT_EQ("* Error: QV device programming was not successful", LogTexts().back());
    EXPECT_EQ(0u, collector.Count(WM_APP_LOAD_DONE));
}

TEST_F(ProgrammingThreadTest, IllegalFinalStatusAndEmptyFile)
{
    StartRun(1, 0, "{\"final\": 66}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_FAILED), WaitForEnd());
    EXPECT_EQ(static_cast<WPARAM>(PROG_ERR_BAD_FINAL_STATUS), collector.Messages(WM_APP_LOAD_FAILED)[0].wParam);
    EXPECT_EQ("* Error: QV device provided illegal final programming status (0x42)", LogTexts().back());
    EXPECT_TRUE(Progress().empty());
}

TEST_F(ProgrammingThreadTest, SilentRecordReplyTimesOutAfterTenSeconds)
{
    StartRun(1, 2, "{\"replies\": {\"1\": [null]}}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_FAILED), WaitForEnd(20000));
    EXPECT_EQ(static_cast<WPARAM>(PROG_ERR_TIMEOUT), collector.Messages(WM_APP_LOAD_FAILED)[0].wParam);
    EXPECT_EQ("* Error: control did not respond to command (receive timeout)", LogTexts().back());
    const DWORD waited = collector.Messages(WM_APP_LOAD_FAILED)[0].tick - collector.Messages(WM_APP_LOAD_STARTED)[0].tick;
    EXPECT_GE(waited, 9900u);
}

TEST_F(ProgrammingThreadTest, MissingFinalStatusTimesOutAfterTwentySeconds)
{
    StartRun(1, 1, "{\"final\": null}");
    ASSERT_EQ(static_cast<UINT>(WM_APP_LOAD_FAILED), WaitForEnd(35000));
    EXPECT_EQ(static_cast<WPARAM>(PROG_ERR_NO_FINAL_STATUS), collector.Messages(WM_APP_LOAD_FAILED)[0].wParam);
    EXPECT_EQ("* Error: control did not give final programming status", LogTexts().back());
    const DWORD waited = collector.Messages(WM_APP_LOAD_FAILED)[0].tick - collector.Messages(WM_APP_LOAD_PROGRESS)[0].tick;
    EXPECT_GE(waited, 19900u);
}

TEST(ProgrammingThreadPortTest, MissingComPortFailsWithThePortsCode)
{
    MessageCollector collector;
    std::vector<std::string> logs;
    collector.SetOnMessage([&logs](const CollectedMessage& m) {
        if (m.message == WM_APP_LOAD_LOG) {
            logs.emplace_back(reinterpret_cast<char*>(m.wParam));
            delete[] reinterpret_cast<char*>(m.wParam);
        }
    });
    ProgrammingSettings settings;
    settings.comPort = 249;
    settings.productId = 1;
    ProgrammingThread thread;
    ASSERT_TRUE(thread.Start(collector.Window(), settings));
    EXPECT_FALSE(thread.Start(collector.Window(), settings)) << "a second run while one is going";
    ASSERT_TRUE(collector.WaitFor(WM_APP_LOAD_FAILED, 10000));
    EXPECT_EQ(static_cast<WPARAM>(static_cast<INT_PTR>(COMPORT_ERR_OPEN)), collector.Messages(WM_APP_LOAD_FAILED)[0].wParam);
    ASSERT_EQ(1u, logs.size());
    EXPECT_EQ("* Error: unable to open COM port (Cannot open port)\n", logs[0].substr(12));
}

TEST(ProgrammingSettingsTest, ProductNamesAndMeters)
{
    const char* names[] = {"device", "Varnix", "Varnix Meter", "Ostrel", "Corandel MPPT", "Varnix MPPT",
                           "Varnix MPPT", "VXM-2", "Varnix HV-MPPT", "Varnix HV-MPPT", "device"};
    for (int id = 0; id <= 10; ++id)
        EXPECT_STREQ(names[id], (LPCTSTR)ProgrammingSettings::GetProductName(id)) << id;
    for (int id = 0; id <= 10; ++id)
        EXPECT_EQ(id == 2 || id == 7, ProgrammingSettings::IsMeter(id)) << id;
}

} // namespace
