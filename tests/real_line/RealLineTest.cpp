// Devices on a serial line as slow as a real one (9,600 baud, 8N2, one direction at a time:
// tests/device/line_relay.py), polled through the real hub and recorded by a Logger at one
// second: a device is judged by its own unanswered requests, not by the time its polls wait
// for their turn, even when a round of the line takes longer than a poll period and a
// silent device's time-outs; every row holds, for each column, the newest value read before
// it (checked against the test device's journal: every read gives a new value), and a
// device's columns are empty exactly from the row after its mark. A busy machine's stalls
// are told from the program's: a read counts as answered when the test device's answer
// went out, and a limit widens by the time this process was kept from running.
#include <gtest/gtest.h>

#include "tests/support/PeerHost.h"
#include "tests/support/Polling.h"
#include "tests/support/StallWatch.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"

#include "displays/CDisplayLogWriteDoc.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/PollThread_t.h"
#include "modbus/SharedLinks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using testing_support::PeerHost;

namespace {

const int BAUD = 9600;
const char* const SILENT_FILE = "silent";
// Three counters a unit, read in two requests: each read gives the next value.
const int REGISTERS[] = {0x10, 0x11, 0x20};
const int FIRST_VALUES[] = {100, 5000, 9000};
const double LATE_S = 0.4;
// What a request of the device may take before it counts as unanswered: both attempts.
const double OWN_REQUEST_S = 2 * SHARED_SERIAL_TIMEOUT_MS / 1000.0;
// A read answered this long before a row must be in it: the reply's line time, the serial
// link's end of frame, the hub's queue and the Logger's 100 ms tick, about 0.1 s together,
// with a margin of more than three.
const double IN_ROW_AFTER_S = 0.35;

// "2026-12-10T12:00:01.043+00:00" as Unix seconds.
double RowTime(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d.%d", &year, &month, &day, &hour, &minute, &second, &ms) != 7)
        return 0;
    SYSTEMTIME system = {};
    system.wYear = WORD(year);
    system.wMonth = WORD(month);
    system.wDay = WORD(day);
    system.wHour = WORD(hour);
    system.wMinute = WORD(minute);
    system.wSecond = WORD(second);
    system.wMilliseconds = WORD(ms);
    FILETIME file;
    ::SystemTimeToFileTime(&system, &file);
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    return ticks.QuadPart / 1e7 - 11644473600.0;
}

std::vector<std::string> CsvFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted) {
            fields.push_back(field);
            field.clear();
        } else if (c != '\r')
            field += c;
    }
    fields.push_back(field);
    return fields;
}

// One read of a unit's register as the journal has it: when its answer went out, and the
// value it gave.
struct Read
{
    double answeredAt = 0;
    int value = 0;
};

class RealLine : public ::testing::Test
{
public:
    // Units 1..units with three counters each; lateUnit answers LATE_S late; unit 2 is
    // silent while the test's file exists.
    void StartSite(int units, int lateUnit)
    {
        std::string profile = R"({"units": {)";
        for (int unit = 1; unit <= units; ++unit) {
            profile += (unit > 1 ? ", " : "") + std::string("\"") + std::to_string(unit) + "\": {\"holding\": {";
            for (int i = 0; i < 3; ++i)
                profile += (i ? ", " : "") + std::string("\"") + std::to_string(REGISTERS[i]) + "\": {\"counter\": " +
                           std::to_string(FIRST_VALUES[i]) + ", \"step\": 1}";
            profile += "}, \"faults\": [";
            if (unit == 2)
                profile += std::string(R"({"kind": "silence", "while_file": ")") + SILENT_FILE + "\"}";
            if (unit == lateUnit)
                profile += R"({"kind": "delay", "seconds": )" + std::to_string(LATE_S) + "}";
            profile += "]}";
        }
        profile += "}}";
        pair = host.OpenSerialPair(0, BAUD);
        ASSERT_NE(0, pair.id) << host.Error();
        ASSERT_FALSE(pair.lineJournal.empty());
        auto started = testing_support::StartTestDevice(host, "tests/real_line/site", profile,
                                                        {"--rtu", pair.peerPath}, 300);
        deviceProcess = started.id;
        journalPath = started.journalPath;
        ASSERT_NE(0, deviceProcess) << started.error;
        ASSERT_TRUE(started.error.empty()) << started.error;
    }

    static GenericDeviceDescription_t Description()
    {
        GenericDeviceDescription_t description;
        description.defaultModbusAddr = 1;
        for (int i = 0; i < 3; ++i) {
            GenericVariable_t variable;
            variable.id = i + 1;
            variable.name = "Counter " + std::string(1, char('A' + i));
            variable.addressLow = REGISTERS[i];
            variable.addressHigh = -1;
            variable.scaling = 1.0;
            description.variables.push_back(variable);
        }
        return description;
    }

    void ConnectUnits(int units)
    {
        for (int unit = 1; unit <= units; ++unit) {
            CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(1, 5, 255, &manager));
            device->ConfigureFromDescription(Description());
            device->GetGenericConnection()->SetComPort(pair.com);
            device->GetGenericConnection()->SetUnitId(unit);
            manager.AddDevice(device);
            device->GetGenericConnection()->Connect();
            devices.push_back(device);
        }
    }

    // Every counter of every unit but the silent one has been read since the journal had
    // `from` lines.
    bool EveryUnitReadSince(size_t from, int skipUnit, DWORD timeoutMs)
    {
        return testing_support::PollUntil([&] {
            const std::map<std::pair<int, int>, std::vector<Read>> reads = Reads(from);
            for (int unit = 1; unit <= int(devices.size()); ++unit)
                for (int reg : REGISTERS)
                    if (unit != skipUnit && reads.count({unit, reg}) == 0)
                        return false;
            return true;
        }, timeoutMs, 50);
    }

    std::vector<std::string> JournalLines()
    {
        std::vector<std::string> lines;
        std::ifstream in(journalPath);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
        return lines;
    }

    // The answered reads from line `from` on, by unit and register, in order. A poll's
    // values reach the hub together once its last request answered: the first request's
    // reads count as answered then.
    // A request's answer that the test device wrote late, by the request's arrival as the
    // journal has it: how late.
    std::map<std::string, double> LateAnswers(const std::vector<std::string>& lines)
    {
        std::map<std::string, double> late;
        for (const std::string& line : lines)
            if (PeerHost::Field(line, "event") == "late_answer")
                late[PeerHost::Field(line, "request_time")] = std::atof(PeerHost::Field(line, "late").c_str());
        return late;
    }

    std::map<std::pair<int, int>, std::vector<Read>> Reads(size_t from = 0)
    {
        std::map<std::pair<int, int>, std::vector<Read>> reads;
        std::map<int, std::vector<std::pair<std::pair<int, int>, size_t>>> pollUnderWay;
        const std::vector<std::string> lines = JournalLines();
        const std::map<std::string, double> late = LateAnswers(lines);
        for (size_t i = from; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            const std::string reply = PeerHost::Field(line, "reply");
            if (PeerHost::Field(line, "function") != "3" || reply.empty() || reply == "null")
                continue;
            const int unit = std::atoi(PeerHost::Field(line, "unit").c_str());
            const int address = std::atoi(PeerHost::Field(line, "address").c_str());
            const int count = std::atoi(PeerHost::Field(line, "count").c_str());
            const std::string arrived = PeerHost::Field(line, "time");
            double answeredAt = std::atof(arrived.c_str());
            if (PeerHost::Field(line, "fault") == "delay")
                answeredAt += LATE_S;
            // The device's process was not run in time: its answer went out only then.
            const auto wentOutLate = late.find(arrived);
            if (wentOutLate != late.end())
                answeredAt += wentOutLate->second;
            if (address == REGISTERS[0])
                pollUnderWay[unit].clear();
            for (int k = 0; k < count && 3 + 2 * k + 1 < int(reply.size() / 2); ++k) {
                const int word = std::stoi(reply.substr(6 + 4 * k, 4), nullptr, 16);
                std::vector<Read>& all = reads[{unit, address + k}];
                all.push_back(Read{answeredAt, word});
                if (address == REGISTERS[0])
                    pollUnderWay[unit].push_back({{unit, address + k}, all.size() - 1});
            }
            if (address == REGISTERS[2]) {
                for (const auto& first : pollUnderWay[unit])
                    reads[first.first][first.second].answeredAt = answeredAt;
                pollUnderWay[unit].clear();
            }
        }
        return reads;
    }

    // Whether the machine stalled longer than a request's time-out in the requests before a
    // unit was marked at `markedAt`: the test device answered one of them that late, or this
    // process was kept from running that long. The answer was rightly taken for none then.
    bool MarkedByAStall(int unit, double markedAt)
    {
        const double from = markedAt - 3 * OWN_REQUEST_S;
        const std::vector<std::string> lines = JournalLines();
        const std::map<std::string, double> late = LateAnswers(lines);
        double longest = 0;
        for (const testing_support::StallWatch::Stall& stall : stalls.Stalls())
            if (stall.to > from && stall.from < markedAt)
                longest = std::max(longest, stall.to - stall.from);
        for (const std::string& line : lines) {
            const std::string arrived = PeerHost::Field(line, "time");
            const auto found = late.find(arrived);
            if (found != late.end() && PeerHost::Field(line, "function") != "" &&
                std::atoi(PeerHost::Field(line, "unit").c_str()) == unit && std::atof(arrived.c_str()) > from)
                longest = std::max(longest, found->second);
        }
        if (longest * 1000 < SHARED_SERIAL_TIMEOUT_MS)
            return false;
        std::printf("unit %d marked after the machine stalled %.2f s, longer than a request's time-out\n", unit,
                    longest);
        return true;
    }

    // The silent unit's requests (each attempt), their arrival times.
    std::vector<double> SilentRequests()
    {
        std::vector<double> times;
        for (const std::string& line : JournalLines())
            if (PeerHost::Field(line, "fault") == "silence")
                times.push_back(std::atof(PeerHost::Field(line, "time").c_str()));
        return times;
    }

    void SetSilent(bool silent)
    {
        const std::string file = journalPath.substr(0, journalPath.find_last_of("\\/")) + "\\" + SILENT_FILE;
        if (silent)
            std::ofstream(file).close();
        else
            ::DeleteFileA(file.c_str());
    }

    boost::shared_ptr<CDisplayLogWriteDoc> StartLogger(const std::string& name)
    {
        boost::shared_ptr<CDisplayLogWriteDoc> logger(new CDisplayLogWriteDoc);
        logger->SetDocumentManager(&manager);
        manager.AddDisplay(logger);
        for (const CDocumentDeviceGeneric1Ptr& device : devices)
            for (int i = 0; i < 3; ++i)
                logger->AddVariable(CTreeItem(("Counter " + std::string(1, char('A' + i))).c_str(), "",
                                              STORAGE_TYPE_SIMPLE_VALUE, i + 1, device->GetId(), ""));
        const std::string folder = testing_support::BuildPath("test-output\\real_line");
        testing_support::EnsureDirectory(folder);
        csvPath = folder + "\\" + name + "-" + testing_support::ProcessTag() + ".csv";
        logger->SetInterval(1);
        logger->SetFileName(csvPath.c_str());
        logger->Start();
        return logger;
    }

    // The rows written so far: their time and, per unit and register, the field.
    struct Row
    {
        double at = 0;
        std::map<std::pair<int, int>, std::string> fields;
    };
    std::vector<Row> Rows()
    {
        std::vector<Row> rows;
        std::ifstream in(csvPath);
        std::string line;
        std::getline(in, line);   // the header
        while (std::getline(in, line)) {
            const std::vector<std::string> fields = CsvFields(line);
            if (fields.size() != 1 + 3 * devices.size())
                continue;
            Row row;
            row.at = RowTime(fields[0]);
            for (size_t d = 0; d < devices.size(); ++d)
                for (int i = 0; i < 3; ++i)
                    row.fields[{int(d) + 1, REGISTERS[i]}] = fields[1 + 3 * d + i];
            rows.push_back(row);
        }
        return rows;
    }

    // A field holds the newest read before its row: one answered before the row, and
    // none newer answered well before it. Empty fields are counted by unit, not judged, here.
    void ExpectNewestReads(const std::vector<Row>& rows, std::map<int, int>& emptyFields, int& checked)
    {
        const std::map<std::pair<int, int>, std::vector<Read>> reads = Reads();
        for (const Row& row : rows)
            for (const auto& field : row.fields) {
                if (field.second.empty()) {
                    ++emptyFields[field.first.first];
                    continue;
                }
                ++checked;
                const int value = int(std::atof(field.second.c_str()) + 0.5);
                const auto found = reads.find(field.first);
                ASSERT_NE(reads.end(), found);
                const std::vector<Read>& all = found->second;
                const auto read = std::find_if(all.begin(), all.end(), [&](const Read& r) { return r.value == value; });
                ASSERT_NE(all.end(), read) << "unit " << field.first.first << " register " << field.first.second
                                           << ": no read gave " << value;
                EXPECT_LT(read->answeredAt, row.at + 0.02)
                    << "unit " << field.first.first << " register " << field.first.second << ": " << value
                    << " was read after its row";
                for (auto newer = read + 1; newer != all.end(); ++newer) {
                    // As long again as this process was kept from running meanwhile.
                    const double stalled = stalls.StalledWithin(newer->answeredAt, row.at);
                    EXPECT_GE(newer->answeredAt, row.at - IN_ROW_AFTER_S - stalled)
                        << "unit " << field.first.first << " register " << field.first.second << ": the row holds "
                        << value << " though " << newer->value << " was read " << row.at - newer->answeredAt
                        << " s before it (the test's process stalled " << stalled << " s of that)";
                }
            }
    }

    // How long the line took for a round of polls: the longest time between two reads of unit 1.
    double LongestRoundS()
    {
        const std::vector<Read> reads = Reads()[{1, REGISTERS[0]}];
        double longest = 0;
        for (size_t i = 1; i < reads.size(); ++i)
            longest = std::max(longest, reads[i].answeredAt - reads[i - 1].answeredAt);
        return longest;
    }

    // Polls every device's judgement every 10 ms for `seconds`; when it was first seen marked.
    std::vector<double> WatchMarks(double seconds)
    {
        std::vector<double> markedAt(devices.size(), 0);
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < DWORD(seconds * 1000)) {
            for (size_t i = 0; i < devices.size(); ++i)
                if (markedAt[i] == 0 && !devices[i]->IsAnswering())
                    markedAt[i] = testing_support::JournalClockNow();
            ::Sleep(10);
        }
        return markedAt;
    }

    void TearDown() override
    {
        manager.CloseAll();
        devices.clear();
        EXPECT_TRUE(PollThread_t::WaitForStoppedThreads(10000));
        if (deviceProcess)
            host.Stop(deviceProcess);
        if (pair.id)
            host.Stop(pair.id);
        EXPECT_TRUE(SharedSerialLinks().empty());
    }

    // Watching from the start: the stalls of the whole run.
    testing_support::StallWatch stalls;
    PeerHost host;
    testing_support::SerialPair pair;
    int deviceProcess = 0;
    std::string journalPath;
    std::string csvPath;
    CDocumentManager manager;
    std::vector<CDocumentDeviceGeneric1Ptr> devices;
};

// What a run in which unit 2 falls silent saw.
struct SilentRun
{
    std::vector<RealLine::Row> rows;
    double silentFrom = 0;
    double markedAt = 0;
    // The units other than 2 marked because the machine stalled.
    std::vector<int> markedByStalls;
};

// Units 1..units on the line with a Logger of every counter at one second: rowsBefore rows,
// then unit 2 falls silent and the devices' judgements are watched for watchSeconds. Only
// unit 2 is marked, after both attempts of its first request while silent went unanswered,
// within three times their time-outs.
SilentRun RunWithUnit2FallingSilent(RealLine& test, int units, int lateUnit, size_t rowsBefore, double watchSeconds)
{
    SilentRun run;
    test.StartSite(units, lateUnit);
    test.ConnectUnits(units);
    EXPECT_TRUE(test.EveryUnitReadSince(0, 0, 60000));
    boost::shared_ptr<CDisplayLogWriteDoc> logger = test.StartLogger("units" + std::to_string(units));
    EXPECT_TRUE(testing_support::PollUntil([&] { return test.Rows().size() >= rowsBefore; }, 30000, 100));
    run.silentFrom = testing_support::JournalClockNow();
    test.SetSilent(true);
    const std::vector<double> markedAt = test.WatchMarks(watchSeconds);
    logger->Stop();
    run.rows = test.Rows();
    run.markedAt = markedAt[1];

    const std::vector<double> silent = test.SilentRequests();
    // The pace of the others while unit 2 is silent: answered polls a second of each.
    int healthyPolls = 0;
    for (const auto& reads : test.Reads())
        if (reads.first.first != 2 && reads.first.second == REGISTERS[0])
            healthyPolls += int(std::count_if(reads.second.begin(), reads.second.end(), [&](const Read& read) {
                return read.answeredAt >= run.silentFrom && read.answeredAt < run.silentFrom + watchSeconds;
            }));
    std::printf("%d devices, unit 2 silent: the others answered %.2f polls a second each\n", units,
                healthyPolls / watchSeconds / (units - 1));
    std::printf("%d devices: rows %u, longest round %.2f s, first unanswered request of unit 2 %.2f s after it "
                "fell silent, marked %.2f s after that request\n",
                units, unsigned(run.rows.size()), test.LongestRoundS(), silent.empty() ? 0 : silent[0] - run.silentFrom,
                silent.empty() ? 0 : run.markedAt - silent[0]);
    for (size_t i = 0; i < markedAt.size(); ++i) {
        if (i == 1 || markedAt[i] == 0)
            continue;
        if (test.MarkedByAStall(int(i) + 1, markedAt[i]))
            run.markedByStalls.push_back(int(i) + 1);
        else
            ADD_FAILURE() << "unit " << i + 1 << " marked though it answered every request";
    }
    EXPECT_GE(silent.size(), 2u) << "unit 2 was never asked while silent";
    EXPECT_NE(0, run.markedAt);
    if (silent.size() >= 2) {
        EXPECT_GE(run.markedAt, silent[1]);
        const double stalled = test.stalls.StalledWithin(silent[0], run.markedAt);
        EXPECT_LE(run.markedAt - silent[0], 3 * OWN_REQUEST_S + stalled)
            << "(the test's process stalled " << stalled << " s of that)";
    }
    return run;
}

// Every field of the devices that answered (unit 2 before it fell silent) holds the newest
// read, none empty; every field of unit 2 is empty from the row after its mark.
void ExpectAnsweredFieldsNewestAndTheSilentEmpty(RealLine& test, const SilentRun& run, int leastChecked)
{
    std::vector<RealLine::Row> answered = run.rows;
    for (RealLine::Row& row : answered)
        if (row.at >= run.silentFrom)
            for (int reg : REGISTERS)
                row.fields.erase({2, reg});
    std::map<int, int> emptyFields;
    int checked = 0;
    test.ExpectNewestReads(answered, emptyFields, checked);
    // One marked because the machine stalled is empty until it answers again.
    for (const auto& unit : emptyFields)
        if (std::find(run.markedByStalls.begin(), run.markedByStalls.end(), unit.first) == run.markedByStalls.end())
            ADD_FAILURE() << "unit " << unit.first << " answered, yet " << unit.second << " of its fields are empty";
    EXPECT_GE(checked, leastChecked);

    size_t after = 0;
    for (const RealLine::Row& row : run.rows)
        if (row.at > run.markedAt + 0.2) {
            ++after;
            for (int reg : REGISTERS)
                EXPECT_EQ("", row.fields.at({2, reg})) << "row at " << row.at - run.markedAt << " s after the mark";
        }
    EXPECT_GE(after, 5u);
}

// 16 devices: every field of every row holds the newest read. Then unit 2 falls silent: a
// round of the line now takes longer than a poll period and the silent device's time-outs
// together; no other device is marked nor has an empty field, and unit 2 is marked once its
// own request went unanswered, its columns empty from the row after.
TEST_F(RealLine, SixteenDevicesAndOneFallingSilent)
{
    const SilentRun run = RunWithUnit2FallingSilent(*this, 16, 0, 8, 12.0);
    ExpectAnsweredFieldsNewestAndTheSilentEmpty(*this, run, 15 * 3 * 15);
}

// 8 devices, unit 2 silent and unit 3 answering 0.4 s late: the late device is never marked
// and its fields hold its newest read; the silent one is marked by its own requests and its
// columns are empty from the row after; nobody else is marked or has an empty field.
TEST_F(RealLine, EightDevicesWithOneSilentAndOneLate)
{
    const SilentRun run = RunWithUnit2FallingSilent(*this, 8, 3, 3, 10.0);
    ExpectAnsweredFieldsNewestAndTheSilentEmpty(*this, run, 7 * 3 * 10);
}

}  // namespace
