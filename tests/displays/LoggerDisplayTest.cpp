// The Logger display's document: Start's refusals and their texts (a refused start leaves
// no columns behind), the rule of which measured value a row holds, rows on an injected
// clock, the file read back by the hub's CSV reader, Stop, and the information texts.
#include <gtest/gtest.h>

#include "tests/displays/DisplayFixtures.h"

#include "displays/CDisplayLogWriteView.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/CStorageTick.h"
#include "documents/RegistryHelpers.h"
#include "documents/logfiles/CLogFileInCsv.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/ErrorText.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageBoxRecorder.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <string>
#include <thread>

namespace
{
using namespace display_testing;
using testing_support::ErrorText;

class LoggerDisplay : public DisplayTest
{
protected:
    LoggerDisplay() : logger(MakeDisplay<CDisplayLogWriteDoc>()), now(1700000000000LL)
    {
        logger->SetClock([this] { return now; });
        path = folder + "\\logger.csv";
        ::DeleteFileA(path.c_str());
    }

    // One hub tick at the current clock; the rows written so far.
    int Tick()
    {
        logger->OnStorage(CStoragePtr(new CStorageTick()));
        return logger->GetRowCount();
    }

    boost::shared_ptr<Posting<CDisplayLogWriteDoc>> logger;
    long long now;
    std::string path;
};

TEST_F(LoggerDisplay, StartRefusesWithItsReasonsAndLeavesNoColumns)
{
    const int device = AddDevice("Varnix");
    logger->AddVariable(*Variable(device, 1, "Battery Voltage"));
    logger->AddVariable(*Variable(device, 2, "Charge Current", "A"));
    logger->SetFileName(path.c_str());

    Device(device).connected = false;
    EXPECT_EQ("the device for Varnix Battery Voltage (V) is not connected; either connect to it or remove it "
              "from this logger.",
              ErrorText([&] { logger->Start(); }));
    EXPECT_FALSE(logger->IsRecording());
    EXPECT_EQ("Varnix Battery Voltage (V) (not connected)", std::string(logger->GetRowText(0)));
    // Once the device is connected the same display starts: the refusal left no columns.
    Device(device).connected = true;
    EXPECT_EQ("Varnix Charge Current (A)", std::string(logger->GetRowText(1)));
    EXPECT_EQ("(no exception)", ErrorText([&] { logger->Start(); }));
    EXPECT_TRUE(logger->IsRecording());
    EXPECT_EQ("log file is already open", ErrorText([&] { logger->Start(); }));
    // Recording refuses new drops.
    EXPECT_FALSE(logger->CanAddVariable(Variable(device, 3, "Load Current", "A").get()));
    EXPECT_EQ("(no exception)", ErrorText([&] { logger->Stop(); }));
    EXPECT_EQ("log file isn't open, so can't close", ErrorText([&] { logger->Stop(); }));
    EXPECT_TRUE(logger->CanAddVariable(Variable(device, 3, "Load Current", "A").get()));
    // A log-file column would never get a value, so no row would ever be written.
    const CTreeItem column("Load Current", "A", PLOT_ITEM_TYPE_LOG_COLUMN, 3, device, "");
    EXPECT_FALSE(logger->CanAddVariable(&column));

    // A variable whose device has gone.
    const int gone = AddDevice("Corandel");
    logger->AddVariable(*Variable(gone, 1, "PV Voltage"));
    manager->RemoveDevice(manager->FindDeviceById(gone));
    EXPECT_EQ("you have a variable for which I can't find the owning device", ErrorText([&] { logger->Start(); }));
    logger->RemoveVariable(*Variable(gone, 1, "PV Voltage"));
    // A file that cannot be made: its name and the system's reason.
    const std::string unreachable = folder + "\\no such folder\\x.csv";
    logger->SetFileName(unreachable.c_str());
    EXPECT_EQ("unable to open " + unreachable + " for writing (Path not found)", ErrorText([&] { logger->Start(); }));
    logger->SetFileName("");
    EXPECT_EQ("unable to open the log file for writing (no file name)", ErrorText([&] { logger->Start(); }));
    EXPECT_FALSE(logger->IsRecording());
    logger->SetFileName(path.c_str());
    EXPECT_EQ("(no exception)", ErrorText([&] { logger->Start(); }));
}

// The rule of which value a row holds, against devices polled each second at every phase
// of the rows (steady, alternately 90 ms before and after their tick, spread over 900 ms as
// on a busy line) and one polled every 2.5 s, with rows each second or slower written at a
// tick up to 100 ms after their moment: every row holds the newest value measured before it
// was written, the slow device's repeated.
TEST(LoggerValuePicker, EveryRowHoldsTheNewestValueMeasuredBeforeItAtEveryPhase)
{
    const CPlotVariableId id(STORAGE_TYPE_SIMPLE_VALUE, 1, 1);
    std::string failures;
    int failureCount = 0;
    int repeated = 0;
    for (const long long interval : { 1000LL, 2000LL, 5000LL })
        for (int pattern = 0; pattern < 4; ++pattern)
            for (long long phase = 0; phase < 1000; phase += 10)
            {
                const long long period = pattern == 3 ? 2500 : 1000;
                const auto arrival = [&](int poll) {
                    const long long jitter = pattern == 1   ? (poll % 2 ? 90 : -90)
                                             : pattern == 2 ? (poll * 7919 + phase * 31) % 900
                                                            : 0;
                    return 1000 + poll * period + phase + jitter;
                };
                const long long tickDelay = phase * 7 % 100;
                LoggerValuePicker_t picker;
                picker.KeepColumns({ id });
                int delivered = 0;
                std::string lastTaken;
                for (long long moment = 0; moment < 40000; moment += interval)
                {
                    const long long written = moment + tickDelay;
                    for (; arrival(delivered) <= written; ++delivered)
                        picker.Arrive(id, arrival(delivered), std::to_string(delivered));
                    const LoggerValuePicker_t::Row_t row = picker.TakeRow();
                    const std::string expected = delivered == 0 ? "" : std::to_string(delivered - 1);
                    const std::string taken = row.empty() ? "" : row[0].second;
                    if (taken != expected && ++failureCount <= 10)
                        failures += "interval " + std::to_string(interval) + " pattern " + std::to_string(pattern) +
                                    " phase " + std::to_string(phase) + " row at " + std::to_string(written) +
                                    ": " + taken + " instead of " + expected + "\n";
                    repeated += !taken.empty() && taken == lastTaken ? 1 : 0;
                    lastTaken = taken;
                }
            }
    EXPECT_EQ(0, failureCount) << failures;
    // The slow device's value stood in more than one row.
    EXPECT_GT(repeated, 0);
}

// A device judged not answering: its columns are empty from the first row after the mark
// until the row after its next answer, and what it measured before the mark never comes
// back; the other device's columns go on. A value just after a row is in the next one.
TEST(LoggerValuePicker, ADeviceIsEmptyExactlyWhileJudgedNotAnsweringAndNothingOlderThanItsMarkComesBack)
{
    const CPlotVariableId voltage(STORAGE_TYPE_SIMPLE_VALUE, 1, 7);
    const CPlotVariableId current(STORAGE_TYPE_SIMPLE_VALUE, 2, 7);
    const CPlotVariableId other(STORAGE_TYPE_SIMPLE_VALUE, 1, 8);
    LoggerValuePicker_t picker;
    picker.KeepColumns({ voltage, current, other });
    std::string rows;
    const auto row = [&]() {
        std::map<CPlotVariableId, std::string> values;
        for (const auto& value : picker.TakeRow())
            values[value.first] = value.second;
        rows += (values.count(voltage) ? values[voltage] : "-") + "/" + (values.count(current) ? values[current] : "-") +
                "/" + (values.count(other) ? values[other] : "-") + " ";
    };
    const auto poll = [&](long long at, int device, const std::string& text) {
        picker.Arrive(device == 7 ? voltage : other, at, text + "v");
        if (device == 7)
            picker.Arrive(current, at, text + "a");
    };
    row();                     // nothing measured yet
    poll(990, 7, "1");
    poll(995, 8, "1");
    row();                     // at 1000
    poll(1010, 7, "2");        // just after the row: the next one
    row();                     // at 2000
    poll(2005, 8, "2");
    picker.Judge(7, false, 2400);
    row();                     // at 3000: marked
    picker.Judge(7, false, 3500);
    row();                     // at 4000: still marked, one mark
    picker.Judge(7, true, 4200);
    row();                     // at 5000: answering again, but nothing measured since the mark
    poll(5500, 7, "3");
    row();                     // at 6000
    picker.Judge(7, false, 6200);
    poll(6700, 7, "4");        // a partial poll of a marked device
    row();                     // at 7000
    picker.Judge(7, true, 7300);
    row();                     // at 8000: its answer's values
    EXPECT_EQ("-/-/- 1v/1a/1v 2v/2a/1v -/-/2v -/-/2v -/-/2v 3v/3a/2v -/-/2v 4v/4a/2v ", rows);

    // Starting again: the judgements start afresh, the values kept.
    picker.KeepColumns({ voltage, other });
    rows.clear();
    row();
    EXPECT_EQ("4v/-/2v ", rows);
}

TEST(LoggerValuePicker, OneValueAColumnHoweverLongTheInterval)
{
    // 1,024 columns at one value a second, an hour before the row.
    LoggerValuePicker_t picker;
    std::set<CPlotVariableId> ids;
    for (int column = 0; column < 1024; ++column)
        ids.insert(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, column % 64, 1 + column / 64));
    picker.KeepColumns(ids);
    for (long long second = 0; second < 3600; ++second)
        for (const CPlotVariableId& id : ids)
            picker.Arrive(id, second * 1000, std::to_string(second));
    EXPECT_EQ(1024u, picker.HeldValues());
    const LoggerValuePicker_t::Row_t row = picker.TakeRow();
    ASSERT_EQ(1024u, row.size());
    for (const auto& value : row)
        EXPECT_EQ("3599", value.second);
}

TEST_F(LoggerDisplay, RowsHoldTheNewestValuesAndAreEmptyExactlyWhileTheirDeviceIsJudgedNotAnswering)
{
    const int device = AddDevice("Varnix");
    const int other = AddDevice("Corandel");
    const int meter = AddDevice("Meter");
    logger->AddVariable(*Variable(device, 1, "Battery Voltage"));
    logger->AddVariable(*Variable(device, 2, "Charge State", ""));
    logger->AddVariable(*Variable(other, 1, "PV Voltage"));
    logger->AddVariable(*Variable(meter, 1, "Voltage"));
    logger->SetInterval(1);
    logger->SetFileName(path.c_str());
    const long long second = now;
    // Measured before the start: the first row holds them.
    now = second + 100;
    logger->OnStorage(Value(device, 1, 12.0));
    logger->OnStorage(Value(device, 2, 2.0));
    logger->OnStorage(Value(other, 1, 40.0));
    logger->OnStorage(Value(meter, 1, 229.0));
    now = second + 300;
    logger->Start();
    ClearPosted();
    // The hub's ticks, each 100 ms, up to that many milliseconds after the start's second.
    const auto runTo = [&](long long offset) {
        for (long long tick = (now - second) / 100 * 100 + 100; tick <= offset && tick < 20000; tick += 100)
        {
            now = second + tick;
            Tick();
        }
        now = second + offset;
    };
    const auto arrive = [&](long long offset, int from, int variable, double value) {
        runTo(offset);
        logger->OnStorage(Value(from, variable, value));
    };

    // The first row at the first tick, with what was measured before it.
    EXPECT_EQ(1, Tick());
    // The Varnix each second, just after and just before the rows' ticks (the row at 2 s
    // holds the newer of its two); the Corandel every 2.5 s, repeated meanwhile.
    arrive(1050, device, 1, 13.0);
    arrive(1050, device, 2, 3.0);
    arrive(1950, device, 1, 13.5);
    arrive(1950, device, 2, 3.5);
    arrive(2500, other, 1, 41.0);
    arrive(2950, device, 1, 14.0);
    arrive(2950, device, 2, 4.0);
    arrive(3050, meter, 1, 230.0);
    runTo(3100);
    EXPECT_EQ(4, Tick());
    // The Varnix's request goes unanswered: marked at 3.4 s; the refresh of its messages
    // tells the Logger at once. Its last value is not repeated, the others go on.
    runTo(3400);
    Device(device).PollFailed("control did not respond to Modbus read request");
    logger->OnStorage(Refresh(REFRESH_DEVICE_MESSAGES, device));
    arrive(4950, meter, 1, 231.0);
    runTo(6000);
    // It answers at 6.5 s; seen at the next tick, before the refresh reaches the Logger.
    arrive(6500, device, 1, 15.0);
    arrive(6500, device, 2, 5.0);
    Device(device).PollAnswered();
    runTo(7000);
    // The meter is disconnected: empty from the next row, though it had a value.
    Device(meter).connected = false;
    runTo(8000);
    EXPECT_EQ(9, Tick());
    EXPECT_EQ((std::vector<WPARAM>{1, 2, 3, 4, 5, 6, 7, 8, 9}), Posted(WM_APP_DISPLAY_UPDATE));
    logger->Stop();
    // Stopped: ticks and values write nothing.
    now += 100000;
    logger->OnStorage(Value(device, 1, 1.0));
    EXPECT_EQ(9, Tick());

    // A missing value is an empty quoted field, as the export writes one.
    const std::string text = testing_support::ReadFileText(path);
    const size_t firstRow = text.find('\n') + 1;
    const std::string row = text.substr(firstRow, text.find('\n', firstRow) - firstRow);
    EXPECT_EQ("\"12.0000\",\"2.0000\",\"40.0000\",\"229.0000\"\r", row.substr(row.find(',') + 1)) << text;

    // The hub's reader reads the file back: header names, every row, and a gap (not a
    // number, the column still one of numbers) where a row had no value.
    CLogFileInCsv reader;
    reader.Open(path.c_str());
    LogSampleStore_t samples;
    int rows = 0;
    while (rows < 100 && reader.ReadAndConvertRecord(samples))
        ++rows;
    EXPECT_EQ(9, rows);
    const auto& columns = reader.GetColumns();
    ASSERT_EQ(4u, columns.size());
    EXPECT_EQ("Varnix Battery Voltage (V)", columns.at(0).name);
    EXPECT_EQ("Varnix Charge State ()", columns.at(1).name);
    EXPECT_EQ("Corandel PV Voltage (V)", columns.at(2).name);
    EXPECT_EQ("Meter Voltage (V)", columns.at(3).name);
    const auto shown = [&](int column) {
        std::string values;
        for (const LogSample_t& sample : samples[column])
        {
            EXPECT_EQ(COleDateTime::valid, sample.time.GetStatus());
            values += IsLogGap(sample.value) ? std::string("-") : std::to_string(int(sample.value * 10));
            values += " ";
        }
        return values;
    };
    // Rows at 0.4 (the start), 1, 2, 3, 4, 5, 6, 7 and 8 s.
    EXPECT_EQ("120 120 135 140 - - - 150 150 ", shown(0));
    EXPECT_EQ("20 20 35 40 - - - 50 50 ", shown(1));
    EXPECT_EQ("400 400 400 410 410 410 410 410 410 ", shown(2));
    EXPECT_EQ("2290 2290 2290 2290 2300 2310 2310 2310 - ", shown(3));
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(LOG_SAMPLE_TYPE_NUMBER, reader.GetColumnValueType(column)) << column;
}

// The first row waits until every device judged answering has given a value, and no longer
// than a few seconds: a device that gives none has its columns empty then.
TEST_F(LoggerDisplay, TheFirstRowWaitsForEveryAnsweringDeviceAFewSecondsAtMost)
{
    const int device = AddDevice("Varnix");
    const int other = AddDevice("Corandel");
    const int meter = AddDevice("Meter");
    logger->AddVariable(*Variable(device, 1, "Battery Voltage"));
    logger->AddVariable(*Variable(other, 1, "PV Voltage"));
    logger->SetInterval(1);
    logger->SetFileName(path.c_str());
    const long long second = now;
    now = second + 300;
    logger->Start();
    now = second + 400;
    EXPECT_EQ(0, Tick());
    logger->OnStorage(Value(device, 1, 12.0));
    now = second + 1000;
    EXPECT_EQ(0, Tick());
    logger->OnStorage(Value(other, 1, 40.0));
    now = second + 2000;
    EXPECT_EQ(1, Tick());
    logger->Stop();

    // A device that gives nothing, though answering: the first row after 5 s without it.
    logger->AddVariable(*Variable(meter, 1, "Voltage"));
    const long long started = second + 10300;
    now = started;
    logger->Start();
    for (now = started + 100; now < started + LOGGER_FIRST_ROW_WAIT_MS; now += 100)
        ASSERT_EQ(0, Tick()) << now - started;
    now = started + 5700;
    EXPECT_EQ(1, Tick());
    logger->Stop();
    const std::string text = testing_support::ReadFileText(path);
    const size_t firstRow = text.find('\n') + 1;
    const std::string row = text.substr(firstRow, text.find('\n', firstRow) - firstRow);
    EXPECT_EQ("\"12.0000\",\"40.0000\",\"\"\r", row.substr(row.find(',') + 1)) << text;

    // A device judged not answering is not waited for.
    Device(meter).PollFailed("control did not respond to Modbus read request");
    now = second + 20300;
    logger->Start();
    now = second + 20400;
    EXPECT_EQ(1, Tick());
}

TEST_F(LoggerDisplay, RowTextsWhileTheDispatchThreadRemovesVariables)
{
    // The list asks for each row after counting them; the dispatch thread may remove a
    // device's variables in between.
    const int device = AddDevice("Varnix");
    for (int id = 1; id <= 4; ++id)
        logger->AddVariable(*Variable(device, id, ("Variable " + std::to_string(id)).c_str()));
    const CTreeItemPtr last = Variable(device, 4, "Variable 4");
    std::atomic<bool> done(false);
    const DWORD start = ::GetTickCount();
    const auto inTime = [start] { return ::GetTickCount() - start < 30000; };
    std::thread dispatch([&] {
        while (!done && inTime())
        {
            logger->CDocumentDisplay::RemoveVariable(*last);
            logger->CDocumentDisplay::AddVariable(*last);
        }
    });
    // Until the row was seen there and gone many times each.
    int present = 0;
    int missing = 0;
    const std::string error = ErrorText([&] {
        while ((present < 1000 || missing < 1000) && inTime())
            ++(logger->GetRowText(3).IsEmpty() ? missing : present);
    });
    done = true;
    dispatch.join();
    EXPECT_EQ("(no exception)", error);
    EXPECT_GT(present, 0);
    EXPECT_GT(missing, 0);
}

TEST_F(LoggerDisplay, BrowseRemembersTheFolderOfTheChosenFile)
{
    CDisplayLogWriteView::RememberFolder("Z:\\logs\\roof\\today.csv");
    EXPECT_EQ("Z:\\logs\\roof", ReadRegistryString(LOGGER_REGISTRY_KEY, LOGGER_LAST_FOLDER_VALUE, "none"));
    CDisplayLogWriteView::RememberFolder("today.csv");
    EXPECT_EQ("", ReadRegistryString(LOGGER_REGISTRY_KEY, LOGGER_LAST_FOLDER_VALUE, "none"));
}

TEST_F(LoggerDisplay, InformationTextsAndClosing)
{
    EXPECT_EQ("1024 B", std::string(CDisplayLogWriteDoc::FormatFileSize(1024)));
    EXPECT_EQ("1 kB", std::string(CDisplayLogWriteDoc::FormatFileSize(1025)));
    EXPECT_EQ("1024 kB", std::string(CDisplayLogWriteDoc::FormatFileSize(1048576)));
    EXPECT_EQ("1.0 MB", std::string(CDisplayLogWriteDoc::FormatFileSize(1048577)));
    EXPECT_EQ("0 B", std::string(CDisplayLogWriteDoc::FormatFileSize(0)));
    EXPECT_EQ("2hrs 5min 3sec", std::string(CDisplayLogWriteDoc::FormatElapsed(2 * 3600 + 5 * 60 + 3)));
    EXPECT_EQ("1hrs 0min 0sec", std::string(CDisplayLogWriteDoc::FormatElapsed(3600)));
    EXPECT_EQ("1min 5sec", std::string(CDisplayLogWriteDoc::FormatElapsed(65)));
    EXPECT_EQ("0sec", std::string(CDisplayLogWriteDoc::FormatElapsed(0)));

    const int device = AddDevice("Varnix");
    logger->AddVariable(*Variable(device, 1, "Battery Voltage"));
    logger->SetFileName(path.c_str());
    logger->Start();
    now += 3725 * 1000;
    EXPECT_EQ("1hrs 2min 5sec", std::string(logger->GetElapsedText()));
    EXPECT_FALSE(logger->GetStartText().IsEmpty());
    // Written in text mode: the line ends in CR LF.
    const std::string header = "\"time (UTC)\",\"Varnix Battery Voltage (V)\"\r\n";
    EXPECT_EQ(std::to_string(header.size()) + " B", std::string(logger->GetFileSizeText()));

    // Recording: the frame does not close.
    testing_support::MessageBoxRecorder::Instance().Clear();
    EXPECT_FALSE(logger->CanCloseFrame(nullptr));
    const auto boxes = testing_support::MessageBoxRecorder::Instance().Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("You must stop logging before you can close this window.", boxes[0].text);
    // Only the variable list is stored: a loaded logger is idle with the default interval.
    const testing_support::Bytes bytes = testing_support::StoreToBytes([&](CArchive& ar) { logger->Serialize(ar); });
    Posting<CDisplayLogWriteDoc> loaded;
    loaded.SetDocumentManager(manager.get());
    testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(1u, loaded.GetEntryCount());
    EXPECT_FALSE(loaded.IsRecording());
    EXPECT_EQ(LOGGER_DEFAULT_INTERVAL, loaded.GetInterval());
    EXPECT_TRUE(loaded.GetFileName().IsEmpty());
}
}  // namespace
