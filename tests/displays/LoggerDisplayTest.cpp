// The Logger display's document: Start's refusals and their texts (a refused start leaves
// no columns behind), the rule of which measured value a row holds, rows on an injected
// clock, the file read back by the hub's CSV reader, Stop, and the information texts.
#include <gtest/gtest.h>

#include "tests/displays/DisplayFixtures.h"

#include "displays/CDisplayLogWriteView.h"
#include "documents/CStorageTick.h"
#include "documents/RegistryHelpers.h"
#include "documents/logfiles/CLogFileInCsv.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/ErrorText.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageBoxRecorder.h"

#include <algorithm>
#include <atomic>
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

// The rule of which value a row holds, against a device polled each second at every phase
// of the rows: its values steady, alternately 90 ms before and after their tick (near a
// row's moment one row then gets two and the next none), or spread over 900 ms as on a busy
// serial line; rows each second or slower, written at the first 100 ms tick after their
// moment. After its 40th poll the device stops answering.
TEST(LoggerValuePicker, EveryRowHoldsAValueMeasuredForItAtEveryPhaseAndNoneOnceTheDeviceIsSilent)
{
    const CPlotVariableId id(STORAGE_TYPE_SIMPLE_VALUE, 1, 1);
    const int polls = 40;
    const long long start = 700;
    std::string failures;
    int failureCount = 0;
    const auto check = [&](bool good, const std::string& what) {
        if (!good && ++failureCount <= 10)
            failures += what + "\n";
    };
    for (const long long interval : { 1000LL, 2000LL, 5000LL })
        for (int pattern = 0; pattern < 3; ++pattern)
            for (long long phase = 0; phase < 1000; phase += 10)
            {
                const auto arrival = [&](int poll) {
                    const long long jitter = pattern == 0   ? 0
                                             : pattern == 1 ? (poll % 2 ? 90 : -90)
                                                            : (poll * 7919 + phase * 31) % 900;
                    return 1000 + poll * 1000LL + phase + jitter;
                };
                const long long lastArrival = arrival(polls - 1);
                const long long tickPhase = phase * 7 % 100;
                LoggerValuePicker_t picker;
                picker.AddColumn(id);
                int delivered = 0;
                int lastTaken = -1;
                int rows = 0;
                int silentRows = 0;
                for (long long moment = 0; moment < 60000; moment += interval)
                {
                    const long long written = std::max(start, moment + (tickPhase - moment % 100 + 100) % 100);
                    for (; delivered < polls && arrival(delivered) <= written; ++delivered)
                        picker.Arrive(id, arrival(delivered), std::to_string(delivered));
                    if (rows++ == 0 && !picker.FirstRowIsDue(start, moment, moment + interval))
                    {
                        rows = 0;
                        continue;
                    }
                    const LoggerValuePicker_t::Row_t row = picker.TakeRow(moment, moment + interval);
                    const int taken = row.empty() ? -1 : std::stoi(row[0].second);
                    const std::string at = "interval " + std::to_string(interval) + " pattern " +
                                           std::to_string(pattern) + " phase " + std::to_string(phase) +
                                           " row at " + std::to_string(moment) + ": " + std::to_string(taken);
                    // Healthy: a value in every row. Silent from the first poll it missed:
                    // one more row at most.
                    if (moment <= lastArrival)
                        check(taken >= 0, at + " (a hole)");
                    else if (moment > lastArrival + 1000 && ++silentRows > 1)
                        check(taken < 0, at + " (silent)");
                    if (taken < 0)
                        continue;
                    check(taken > lastTaken, at + " after " + std::to_string(lastTaken));
                    check(moment - arrival(taken) <= LOGGER_FRESHNESS_MS, at + " (stale)");
                    // Slower than the polls: the newest.
                    check(interval == 1000 || taken == delivered - 1, at + " (not the newest)");
                    lastTaken = taken;
                }
            }
    EXPECT_EQ(0, failureCount) << failures;
}

TEST_F(LoggerDisplay, RowsHoldEveryMeasuredValueOnceAndAreEmptyOnlyWhereNothingFreshCame)
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

    // The first row waits for every column, but not for a meter that never answers: once
    // no value would be fresh it is written with the meter's column empty.
    arrive(800, other, 1, 40.0);
    arrive(1800, other, 1, 41.0);
    arrive(2500, device, 1, 12.5);
    arrive(2500, device, 2, 3.0);
    runTo(2999);
    EXPECT_EQ(0, Tick());
    // 40 came too long before the row; the Corandel stops answering after 41.
    runTo(3000);
    EXPECT_EQ(1, Tick());
    // Ticks within the interval write nothing. The Varnix: two values before the row's
    // moment and none before the next, whose poll comes just after it: each row gets one.
    arrive(3050, device, 1, 13.0);
    arrive(3050, device, 2, 4.0);
    runTo(3900);
    EXPECT_EQ(1, Tick());
    arrive(3950, device, 1, 13.5);
    arrive(3950, device, 2, 4.5);
    arrive(5050, device, 1, 14.0);
    arrive(5050, device, 2, 5.0);
    runTo(6000);
    EXPECT_EQ(4, Tick());
    // A stall of the dispatcher: one row for the last moment due, none for those missed.
    now = second + 9400;
    EXPECT_EQ(5, Tick());
    EXPECT_EQ(5, Tick());
    arrive(9600, device, 1, 15.0);
    arrive(9600, device, 2, 6.0);
    runTo(10000);
    EXPECT_EQ(6, Tick());
    EXPECT_EQ((std::vector<WPARAM>{1, 2, 3, 4, 5, 6}), Posted(WM_APP_DISPLAY_UPDATE));
    // Values of variables that are not logged change nothing.
    logger->OnStorage(Value(device, 9, 99.0));
    logger->Stop();
    // Stopped: ticks and values write nothing.
    now += 100000;
    logger->OnStorage(Value(device, 1, 1.0));
    EXPECT_EQ(6, Tick());

    // A missing value is an empty quoted field, as the export writes one.
    const std::string text = testing_support::ReadFileText(path);
    const size_t secondRow = text.find('\n', text.find('\n') + 1) + 1;
    const std::string row = text.substr(secondRow, text.find('\n', secondRow) - secondRow);
    EXPECT_EQ("\"13.0000\",\"4.0000\",\"\",\"\"\r", row.substr(row.find(',') + 1)) << text;

    // The hub's reader reads the file back: header names, every row, and a gap (not a
    // number, the column still one of numbers) where a row had no value.
    CLogFileInCsv reader;
    reader.Open(path.c_str());
    LogSampleStore_t samples;
    int rows = 0;
    while (rows < 100 && reader.ReadAndConvertRecord(samples))
        ++rows;
    EXPECT_EQ(6, rows);
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
    EXPECT_EQ("125 130 135 140 - 150 ", shown(0));
    EXPECT_EQ("30 40 45 50 - 60 ", shown(1));
    EXPECT_EQ("410 - - - - - ", shown(2));
    EXPECT_EQ("- - - - - - ", shown(3));
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(LOG_SAMPLE_TYPE_NUMBER, reader.GetColumnValueType(column)) << column;
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
