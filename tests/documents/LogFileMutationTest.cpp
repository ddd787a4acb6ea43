// Damaged log files: seeded mutations of a valid XML log and a valid CSV log go to their
// readers, and a sample of them to the log-file document. Each case loads or fails with one
// of the readers' own error texts within its time limit, never serves more than the file
// holds or a sample without a valid time, and reading leaves the file's bytes as they were.
#include "documents/CDocumentLogFile.h"
#include "documents/CStorage.h"
#include "documents/XmlNesting.h"
#include "documents/TimeHelpers.h"
#include "documents/logfiles/CLogFileInCsv.h"
#include "documents/logfiles/CLogFileInXml.h"
#include "documents/logfiles/CLogFileOutCsv.h"
#include <tinyxml.h>
#include "shell/ProgramFolders.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include "tests/documents/BenchDeviceDescription.h"
#include "tests/support/ErrorText.h"
#include "tests/support/FileMutator.h"
#include "tests/support/FileText.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

typedef CLogFileInXml::log_file_record_t Record;

const int READER_CASES = 2000;
const int DOCUMENT_CASES = 24;
// A case takes milliseconds, under a second on a loaded machine with the heap checks on; one
// that runs this long is caught in a loop.
const DWORD CASE_LIMIT_MS = 30000;

// Runs numbered cases on a worker thread and ends the test program on the first case that
// overruns its limit, so that a reader caught in a loop fails the run instead of hanging it.
class CaseRunner
{
public:
    CaseRunner(int count, DWORD limitMs, std::function<void(int)> runCase)
        : m_runCase(std::move(runCase)), m_count(count), m_limitMs(limitMs)
    {
    }

    void Run()
    {
        HANDLE thread = ::CreateThread(nullptr, 0, Worker, this, 0, nullptr);
        if (thread == nullptr)
            throw std::runtime_error("unable to start the case worker");
        for (;;) {
            if (::WaitForSingleObject(thread, 20) == WAIT_OBJECT_0)
                break;
            const int current = m_current;
            // The start is read before the clock: read after, it could be that of a case
            // begun since, later than the clock's reading, and the difference would wrap.
            const DWORD started = m_started;
            if (::GetTickCount() - started > m_limitMs) {
                // The worker may hold the heap's or the test framework's locks (a thread cut
                // off there left this one waiting on them for good): the process ends here,
                // saying which case overran, with nothing that allocates.
                char line[160];
                const int length = std::snprintf(line, sizeof line, "FAILED: case %d ran longer than %lu ms\n",
                                                 current, static_cast<unsigned long>(m_limitMs));
                DWORD written = 0;
                ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
                ::TerminateProcess(::GetCurrentProcess(), 3);
            }
        }
        ::CloseHandle(thread);
    }

private:
    static DWORD WINAPI Worker(LPVOID self)
    {
        CaseRunner& runner = *static_cast<CaseRunner*>(self);
        for (int index = 0; index < runner.m_count; ++index) {
            runner.m_started = ::GetTickCount();
            runner.m_current = index;
            runner.m_runCase(index);
        }
        return 0;
    }

    std::function<void(int)> m_runCase;
    int m_count;
    DWORD m_limitMs;
    std::atomic<int> m_current{-1};
    std::atomic<DWORD> m_started{::GetTickCount()};
};

typedef testing_support::FileMutator Mutator;

using testing_support::MatchesPattern;

// A file the parser refuses is refused with the parser's reason and where it lies.
const std::vector<std::string> XML_ERRORS = {
    "unable to load log file (line *, column *): *",
    "unable to load log file: *",
    "file did not contain 'quorvant' element",
    "file did not contain 'loggeddata' element",
    "file's 'loggeddata' element missing/bad '*' attribute",
    "file's 'record' element has missing/bad '*' attribute",
    "file's 'variable' element has missing/bad '*' attribute",
    "timestamp '*' isn't a format I know",
    "file's record * (line *) has a 'variable' element of id -1, which no variable can have",
    "the log is of model *, type *, a device that devices.xml does not describe",
};

const std::vector<std::string> CSV_ERRORS = {
    "the log file has only timestamps (no data)",
    "log file line had no data fields",
    "line \"*\" had the wrong number of columns (not the same as the header)",
    "timestamp '*' isn't a format I know",
    "log file line contains a NUL character",
};

bool IsKnownError(const std::string& text, const std::vector<std::string>& patterns)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& pattern) { return MatchesPattern(text, pattern); });
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

const char* const LOG_HEAD =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\n<quorvant>\n"
    "  <loggeddata version=\"1\" model=\"3\" type=\"7\" set=\"1\">\n";
const char* const LOG_TAIL = "  </loggeddata>\n</quorvant>\n";

// One record line of an XML log with the given attribute values and one variable.
std::string RecordXml(const std::string& retrievalTime, const std::string& retrievalHourmeter,
                      const std::string& hourmeter, const std::string& id = "1", const std::string& extra = "")
{
    return "    <record retrievalTime=\"" + retrievalTime + "\" retrievalHourmeter=\"" + retrievalHourmeter +
           "\" hourmeter=\"" + hourmeter + "\"" + extra + "><variable id=\"" + id + "\" value=\"12.5\" /></record>\n";
}

const char* const NOON = "2024-05-01T12:00:00.000+00:00";
const char* const CSV_HEADER = "\"time (UTC)\",\"Battery Voltage\"\n";

std::string CsvLine(const std::string& time, const std::string& value)
{
    return "\"" + time + "\",\"" + value + "\"\n";
}

Record MakeRecord(const char* retrieval, int retrievalHourmeter, int hourmeter, const std::string& voltage,
                  bool discontinuity = false)
{
    Record record;
    record.retrievalTime = ParseUtcTimestamp(retrieval);
    record.retrievalHourmeter = retrievalHourmeter;
    record.hourmeter = hourmeter;
    record.discontinuityBefore = discontinuity;
    record.values[1] = std::make_pair(std::to_string(hourmeter), double(hourmeter));
    record.values[2] = std::make_pair(voltage, std::strtod(voltage.c_str(), nullptr));
    return record;
}

// Names of the bench logger's logged values; other devices are not described.
CLogFileInXml::LoggedVariableNames_t BenchNames(int type, int model)
{
    if (type != 7 || model != 3)
        throw std::runtime_error("the log is of model " + std::to_string(model) + ", type " + std::to_string(type) +
                                 ", a device that devices.xml does not describe");
    return {{1, "Hourmeter"}, {2, "Battery Voltage"}};
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Every sample has a time that was computed: a valid one, or an invalid one for a stamp of
// a day that does not exist (never one left unset).
bool HasComputedTimes(const LogSampleStore_t& samples)
{
    for (const auto& column : samples) {
        for (const LogSample_t& sample : column.second) {
            if (sample.time.GetStatus() == COleDateTime::null)
                return false;
        }
    }
    return true;
}

class LogFileMutation : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = testing_support::BuildPath("tests/documents/logmutation-" + testing_support::ProcessTag());
        ASSERT_TRUE(testing_support::EnsureDirectory(m_folder));
        ASSERT_TRUE(testing_support::WriteFileText(m_folder + "\\devices.xml", testing_support::BENCH_DEVICE_DESCRIPTION));
        m_programFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(Wide(m_folder));
        m_xmlPath = m_folder + "\\valid.xml";
        m_csvPath = m_folder + "\\valid.csv";
        m_casePath = m_folder + "\\case.log";
        ASSERT_NO_FATAL_FAILURE(WriteValidLogs());
    }

    void TearDown() override
    {
        GetProgramFolders().SetProgramFolder(m_programFolder);
        for (const std::string& path : {m_xmlPath, m_csvPath, m_casePath, m_folder + "\\devices.xml"})
            DeleteFileA(path.c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

    // Written by our own writers, so the mutations start from exactly what the program writes.
    void WriteValidLogs()
    {
        CLogFileInXml xml;
        xml.SetDevice(3, 7, 1);
        CLogFileInXml::RecordList_t records;
        const char* const voltages[] = {"12.5", "12.75", "13.1", "n/a", "a<\"&b", "13.4V"};
        for (int hour = 0; hour < 12; ++hour)
            records.push_back(MakeRecord(hour < 8 ? "2024-05-01T12:00:00.000+00:00" : "2024-05-03T08:30:00.000+00:00",
                                         hour < 8 ? 40 : 6, hour < 8 ? 30 + hour : hour - 8, voltages[hour % 6],
                                         hour == 8));
        xml.MergeRecords(records);
        xml.WriteFile(Wide(m_xmlPath).c_str());
        m_validXml = testing_support::ReadFileText(m_xmlPath);

        CLogFileOutCsv csv;
        const CPlotVariableId volts(STORAGE_TYPE_SIMPLE_VALUE, 1, 2);
        const CPlotVariableId state(STORAGE_TYPE_SIMPLE_VALUE, 2, 2);
        const CPlotVariableId note(STORAGE_TYPE_SIMPLE_VALUE, 3, 2);
        ASSERT_TRUE(csv.AddColumn("Battery Voltage", volts));
        ASSERT_TRUE(csv.AddColumn("Charge State", state));
        ASSERT_TRUE(csv.AddColumn("Say \"hi\", C:\\", note));
        ASSERT_TRUE(csv.Open(m_csvPath.c_str()));
        const char* const states[] = {"Bulk", "Float", "Say \"done\"", "C:\\logs", "1e3", "a,b"};
        for (int second = 0; second < 12; ++second) {
            csv.SetValue(volts, std::to_string(12 + second / 10.0));
            csv.SetValue(state, states[second % 6]);
            csv.SetValue(note, second % 4 ? std::to_string(second) : "");
            const std::string time = "2024-05-01T12:00:" + std::string(second < 10 ? "0" : "") +
                                     std::to_string(second) + ".250+00:00";
            ASSERT_TRUE(csv.WriteLine(time.c_str(), false));
        }
        csv.Close();
        m_validCsv = testing_support::ReadFileText(m_csvPath);
        ASSERT_GT(m_validXml.size(), 1000u);
        ASSERT_GT(m_validCsv.size(), 500u);
    }

    void WriteCase(const std::string& bytes)
    {
        ASSERT_TRUE(testing_support::WriteFileText(m_casePath, bytes));
    }

    // The error of loading the bytes as an XML log, or "(no exception)" with the records.
    std::string XmlLoadError(const std::string& bytes, CLogFileInXml::RecordList_t* records = nullptr)
    {
        WriteCase(bytes);
        CLogFileInXml reader(BenchNames);
        try {
            reader.Open(m_casePath.c_str());
        } catch (const std::exception& error) {
            return error.what();
        }
        if (records)
            *records = reader.GetRecords();
        return "(no exception)";
    }

    // The error of reading the bytes as a CSV log to its end, or "(no exception)".
    std::string CsvReadError(const std::string& bytes, int& served)
    {
        WriteCase(bytes);
        CLogFileInCsv reader;
        LogSampleStore_t samples;
        served = 0;
        try {
            reader.Open(m_casePath.c_str());
            while (served < 100 && reader.ReadAndConvertRecord(samples))
                ++served;
        } catch (const std::exception& error) {
            return error.what();
        }
        return "(no exception)";
    }

    // The file's bytes after reading are the bytes before.
    void ExpectUnchanged(const std::string& bytes, const std::string& label)
    {
        EXPECT_TRUE(testing_support::ReadFileText(m_casePath) == bytes) << label << ": reading changed the file";
    }

    // Loads the case file with the XML reader; true when it loaded.
    bool ReadXml(const std::string& bytes, const std::string& label)
    {
        CLogFileInXml reader(BenchNames);
        try {
            reader.Open(m_casePath.c_str());
        } catch (const std::exception& error) {
            EXPECT_TRUE(IsKnownError(error.what(), XML_ERRORS)) << label << ": \"" << error.what() << "\"";
            EXPECT_FALSE(reader.IsOpen()) << label;
            return false;
        } catch (...) {
            ADD_FAILURE() << label << ": threw something that is not a std::exception";
            return false;
        }
        EXPECT_TRUE(reader.IsOpen()) << label;
        // Every column names a variable, never its document.
        EXPECT_FALSE(reader.HasColumn(PLOT_ID_NONE)) << label;
        const CLogFileInXml::RecordList_t& records = reader.GetRecords();
        EXPECT_LE(records.size(), CountOf(bytes, "<record")) << label << ": more records than the file has";
        // A record is timed exactly when the retrieval time that starts its segment is valid.
        bool segmentTimed = true;
        for (size_t i = 0; i < records.size(); ++i) {
            const Record& record = records[i];
            EXPECT_NE(COleDateTime::null, record.retrievalTime.GetStatus()) << label;
            if (i == 0 || record.discontinuityBefore)
                segmentTimed = record.retrievalTime.GetStatus() == COleDateTime::valid;
            EXPECT_EQ(segmentTimed ? COleDateTime::valid : COleDateTime::invalid, record.recordTime.GetStatus())
                << label;
        }
        LogSampleStore_t samples;
        int served = 0;
        while (served < 3 && reader.ReadAndConvertRecord(samples))
            ++served;
        EXPECT_EQ(records.empty() ? 0 : 1, served) << label << ": the whole file comes in one call";
        for (const auto& column : samples) {
            EXPECT_TRUE(reader.HasColumn(column.first)) << label;
            EXPECT_LE(column.second.size(), records.size()) << label;
        }
        EXPECT_TRUE(HasComputedTimes(samples)) << label;
        return true;
    }

    // Reads the case file with the CSV reader to its end; true when no line failed.
    bool ReadCsv(const std::string& bytes, const std::string& label)
    {
        CLogFileInCsv reader;
        LogSampleStore_t samples;
        size_t served = 0;
        const size_t lineEnds = CountOf(bytes, "\n");
        try {
            reader.Open(m_casePath.c_str());
            while (served <= lineEnds && reader.ReadAndConvertRecord(samples))
                ++served;
        } catch (const std::exception& error) {
            EXPECT_TRUE(IsKnownError(error.what(), CSV_ERRORS)) << label << ": \"" << error.what() << "\"";
            return false;
        } catch (...) {
            ADD_FAILURE() << label << ": threw something that is not a std::exception";
            return false;
        }
        // The header takes a line of its own.
        EXPECT_LT(served, std::max<size_t>(lineEnds, 1)) << label << ": more lines served than the file has";
        for (const auto& column : reader.GetColumns()) {
            const auto found = samples.find(column.first);
            EXPECT_EQ(served, found == samples.end() ? 0 : found->second.size())
                << label << ": column " << column.first << " lost or gained samples";
        }
        EXPECT_EQ(served == 0 ? 0u : reader.GetColumns().size(), samples.size()) << label;
        EXPECT_TRUE(HasComputedTimes(samples)) << label;
        return true;
    }

    // Every cut of the valid file, then seeded damage to it.
    void RunReaderCases(const std::string& valid, unsigned seed, bool xml)
    {
        ASSERT_NO_FATAL_FAILURE(WriteCase(valid));
        ASSERT_TRUE((xml ? ReadXml(valid, "valid") : ReadCsv(valid, "valid")));
        Mutator mutator(seed);
        const int cuts = static_cast<int>(valid.size());
        int loaded = 0;
        int failed = 0;
        int cutsLoaded = 0;
        CaseRunner(cuts + READER_CASES, CASE_LIMIT_MS, [&](int index) {
            const bool cut = index < cuts;
            const std::string bytes = cut ? valid.substr(0, index) : mutator.Mutate(valid);
            const std::string label = cut ? "cut at " + std::to_string(index)
                                          : "seed " + std::to_string(seed) + " case " + std::to_string(index - cuts);
            if (!testing_support::WriteFileText(m_casePath, bytes)) {
                ADD_FAILURE() << label << ": unable to write the case";
                return;
            }
            const bool read = xml ? ReadXml(bytes, label) : ReadCsv(bytes, label);
            if (cut)
                cutsLoaded += read ? 1 : 0;
            else
                ++(read ? loaded : failed);
            ExpectUnchanged(bytes, label);
        }).Run();
        // Both outcomes are common, so the damage reached the reader in every part of the file.
        EXPECT_GT(loaded, READER_CASES / 20);
        EXPECT_GT(failed, READER_CASES / 20);
        std::printf("[ figures  ] %s reader: %d files tried, %d adopted, %d refused (%d cuts, %d adopted)\n",
                    xml ? "XML" : "CSV", cuts + READER_CASES, cutsLoaded + loaded, cuts - cutsLoaded + failed, cuts,
                    cutsLoaded);
    }

    std::string m_folder;
    std::string m_xmlPath;
    std::string m_csvPath;
    std::string m_casePath;
    std::string m_validXml;
    std::string m_validCsv;
    std::wstring m_programFolder;
};

}  // namespace

TEST_F(LogFileMutation, DamagedXmlLogsLoadOrFailWithTheirTexts)
{
    RunReaderCases(m_validXml, 20240701, true);
}

TEST_F(LogFileMutation, DamagedCsvLogsReadOrFailWithTheirTexts)
{
    RunReaderCases(m_validCsv, 20240702, false);
}

TEST_F(LogFileMutation, TheDocumentOpensDamagedLogsOrReportsThem)
{
    std::vector<std::string> allErrors = XML_ERRORS;
    allErrors.insert(allErrors.end(), CSV_ERRORS.begin(), CSV_ERRORS.end());
    Mutator mutator(20240703);
    int opened = 0;
    int refused = 0;
    CDocumentLogFile document;
    CaseRunner(2 * DOCUMENT_CASES, CASE_LIMIT_MS, [&](int index) {
        const bool xml = index % 2 == 0;
        const std::string bytes = mutator.Mutate(xml ? m_validXml : m_validCsv);
        const std::string label = "document case " + std::to_string(index);
        if (!testing_support::WriteFileText(m_casePath, bytes)) {
            ADD_FAILURE() << label << ": unable to write the case";
            return;
        }
        try {
            document.OpenLogFile(Wide(m_casePath));
            ++opened;
            CTreeItemList items;
            document.CollectPlotItems(items);
            for (const CTreeItemPtr& item : items) {
                // The trees take an item without a variable id for a document's node.
                EXPECT_NE(PLOT_ID_NONE, item->GetVariableId()) << label;
                LogSampleList_t list;
                document.GetPlotSamples(item->GetVariableId(), list);
                LogSampleStore_t store{{0, list}};
                EXPECT_TRUE(HasComputedTimes(store)) << label;
            }
        } catch (const std::exception& error) {
            EXPECT_TRUE(IsKnownError(error.what(), allErrors)) << label << ": \"" << error.what() << "\"";
            ++refused;
        } catch (...) {
            ADD_FAILURE() << label << ": threw something that is not a std::exception";
        }
        document.StopMonitor();
        ExpectUnchanged(bytes, label);
    }).Run();
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(LogFileMutation, XmlIntegersMustBeWholeAndFitAnInt)
{
    const std::string hourmeterError = "file's 'record' element has missing/bad 'hourmeter' attribute";
    // The library's own reading clamped these to the largest int and took "7x" as 7.
    EXPECT_EQ(hourmeterError, XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "99999999999999999999") + LOG_TAIL));
    EXPECT_EQ(hourmeterError, XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "2147483648") + LOG_TAIL));
    EXPECT_EQ(hourmeterError, XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "7x") + LOG_TAIL));
    EXPECT_EQ("file's 'record' element has missing/bad 'retrievalHourmeter' attribute",
              XmlLoadError(LOG_HEAD + RecordXml(NOON, "-2147483649", "7") + LOG_TAIL));
    EXPECT_EQ("file's 'variable' element has missing/bad 'id' attribute",
              XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "7", "4294967298") + LOG_TAIL));
    EXPECT_EQ("file's 'variable' element has missing/bad 'id' attribute",
              XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "7", "0x1") + LOG_TAIL));
    std::string head = LOG_HEAD;
    head.replace(head.find("model=\"3\""), 9, "model=\"3.5\"");
    EXPECT_EQ("file's 'loggeddata' element missing/bad 'model' attribute", XmlLoadError(head + LOG_TAIL));

    // The extremes of an int still load, and a discontinuity flag that is not a number is unset.
    CLogFileInXml::RecordList_t records;
    ASSERT_EQ("(no exception)",
              XmlLoadError(LOG_HEAD + RecordXml(NOON, "-5", "-7", "2147483647") +
                               RecordXml(NOON, "10", "8", "-2147483648", " hourmeterDiscontinuityBefore=\"1x\"") +
                               LOG_TAIL,
                           &records));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(-7, records[0].hourmeter);
    EXPECT_EQ(1u, records[0].values.count(2147483647));
    EXPECT_EQ(1u, records[1].values.count(-2147483647 - 1));
    EXPECT_FALSE(records[1].discontinuityBefore);
}

TEST_F(LogFileMutation, XmlRetrievalOfADayThatDoesNotExistLeavesItsSegmentWithoutTimes)
{
    const std::string noDay = "2024-02-30T12:00:00.000+00:00";
    // It starts the first segment: that segment's records have no valid time (they used to
    // be timed from 1899, and then the whole log was refused); the next segment is timed.
    CLogFileInXml::RecordList_t records;
    ASSERT_EQ("(no exception)",
              XmlLoadError(LOG_HEAD + RecordXml(noDay, "10", "7") + RecordXml(NOON, "10", "8") +
                               RecordXml(NOON, "20", "9", "1", " hourmeterDiscontinuityBefore=\"1\"") + LOG_TAIL,
                           &records));
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(COleDateTime::invalid, records[0].recordTime.GetStatus());
    EXPECT_EQ(COleDateTime::invalid, records[1].recordTime.GetStatus());
    EXPECT_EQ("2024-05-01T01:00:00.000+00:00", FormatUtcTimestamp(records[2].recordTime));
    // Written back as it was read, so a merged file stays readable.
    std::unique_ptr<TiXmlElement> element(records[0].ToXmlElement());
    EXPECT_EQ(noDay, element->Attribute("retrievalTime"));

    // A record that starts no segment: its own retrieval time does not matter.
    ASSERT_EQ("(no exception)",
              XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "7") + RecordXml(noDay, "10", "8") + LOG_TAIL, &records));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("2024-05-01T09:00:00.000+00:00", FormatUtcTimestamp(records[0].recordTime));
    EXPECT_EQ("2024-05-01T10:00:00.000+00:00", FormatUtcTimestamp(records[1].recordTime));

    // Exported to CSV, such records keep their rows with a stamp that reads back as an
    // invalid time (the export used to fail on them).
    WriteCase(LOG_HEAD + RecordXml(noDay, "10", "7") + RecordXml(NOON, "20", "9", "1",
                                                                  " hourmeterDiscontinuityBefore=\"1\"") + LOG_TAIL);
    CLogFileInXml exporter(BenchNames);
    exporter.Open(m_casePath.c_str());
    const std::string exported = m_folder + "\\exported.csv";
    EXPECT_EQ(2, exporter.ExportCsv(exported.c_str()));
    CLogFileInCsv readBack;
    readBack.Open(exported.c_str());
    LogSampleStore_t samples;
    for (int row = 0; row < 10 && readBack.ReadAndConvertRecord(samples);)
        ++row;
    ASSERT_EQ(2u, samples.begin()->second.size());
    EXPECT_EQ(COleDateTime::invalid, samples.begin()->second.front().time.GetStatus());
    EXPECT_EQ(COleDateTime::valid, samples.begin()->second.back().time.GetStatus());
    ::DeleteFileA(exported.c_str());

    // A malformed stamp still stops the file with the parser's own error.
    EXPECT_EQ("timestamp '2024-02-30' isn't a format I know",
              XmlLoadError(LOG_HEAD + RecordXml("2024-02-30", "10", "7") + LOG_TAIL));
}

TEST_F(LogFileMutation, XmlRecordsOutsideTheDatesAreRefused)
{
    // Hour meters so far apart that the record's time lies beyond the year 9999.
    EXPECT_EQ("file's 'record' element has missing/bad 'hourmeter' attribute",
              XmlLoadError(LOG_HEAD + RecordXml(NOON, "0", "2000000000") + LOG_TAIL));
    EXPECT_EQ("file's 'record' element has missing/bad 'hourmeter' attribute",
              XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "7") + RecordXml(NOON, "2000000000", "7", "1",
                                                                            " hourmeterDiscontinuityBefore=\"1\"") +
                           LOG_TAIL));

    // A century of hours (with its 24 leap days) is still a time.
    CLogFileInXml::RecordList_t records;
    ASSERT_EQ("(no exception)", XmlLoadError(LOG_HEAD + RecordXml(NOON, "0", "876576") + LOG_TAIL, &records));
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("2124-05-01T12:00:00.000+00:00", FormatUtcTimestamp(records[0].recordTime));
}

TEST_F(LogFileMutation, DeeplyNestedXmlIsRefusedBeforeItCanOverflowTheStack)
{
    const int deep = 100000;
    std::string nested;
    for (int level = 0; level < deep; ++level)
        nested += "<a>";
    for (int level = 0; level < deep; ++level)
        nested += "</a>";
    // The head opens two levels on lines of their own; the element that goes too deep is
    // the first one below the limit's last level.
    const int tooDeep = XML_MAX_ELEMENT_DEPTH + 1 - 2;
    const std::string deepText = "elements nested more than " + std::to_string(XML_MAX_ELEMENT_DEPTH) + " deep";
    EXPECT_EQ("unable to load log file (line 4, column " + std::to_string(3 * (tooDeep - 1) + 1) + "): " + deepText,
              XmlLoadError(LOG_HEAD + nested + LOG_TAIL));
    // Attribute values that look like the end of an empty element do not hide the nesting.
    std::string disguised;
    const std::string level = "<a b=\"/>\" c='/>'>";
    for (int count = 0; count < deep; ++count)
        disguised += level;
    EXPECT_EQ("unable to load log file (line 4, column " + std::to_string(level.size() * (tooDeep - 1) + 1) + "): " +
                  deepText,
              XmlLoadError(LOG_HEAD + disguised + LOG_TAIL));

    // Moderate nesting of elements the reader does not know, and tags inside comments and
    // character data, still load.
    std::string moderate;
    for (int level = 0; level < 200; ++level)
        moderate += "<a>";
    for (int level = 0; level < 200; ++level)
        moderate += "</a>";
    std::string comment = "<!--";
    for (int level = 0; level < 1000; ++level)
        comment += "<a>";
    comment += "-->";
    CLogFileInXml::RecordList_t records;
    EXPECT_EQ("(no exception)",
              XmlLoadError(LOG_HEAD + moderate + comment + RecordXml(NOON, "10", "7") + LOG_TAIL, &records));
    EXPECT_EQ(1u, records.size());
}

TEST_F(LogFileMutation, CsvNulBytesAreReportedInsteadOfJoiningOrHidingLines)
{
    const std::string nul(1, '\0');
    const std::string first = CsvLine("2024-05-01T12:00:00.000+00:00", "1");
    const std::string second = CsvLine("2024-05-01T12:00:01.000+00:00", "2");
    const std::string third = CsvLine("2024-05-01T12:00:02.000+00:00", "3");
    int served = 0;
    // A NUL at the start of a line used to drop that line without a word.
    EXPECT_EQ("log file line contains a NUL character", CsvReadError(CSV_HEADER + first + nul + second + third, served));
    EXPECT_EQ(1, served);
    // Before a line feed it joined two lines into one.
    std::string joined = CSV_HEADER + first + second + third;
    joined.insert(joined.find(second) + second.size() - 1, nul);
    EXPECT_EQ("log file line contains a NUL character", CsvReadError(joined, served));
    EXPECT_EQ(1, served);
    // On the last line it looked like a line still being written, for ever.
    EXPECT_EQ("log file line contains a NUL character", CsvReadError(CSV_HEADER + first + "\"20" + nul + "\n", served));
    EXPECT_EQ(1, served);
    EXPECT_EQ("log file line contains a NUL character", CsvReadError("\"time" + nul + " (UTC)\",\"a\"\n" + first, served));
    EXPECT_EQ(0, served);

    // Without a NUL an unfinished last line is still just waited for.
    EXPECT_EQ("(no exception)", CsvReadError(CSV_HEADER + first + "\"2024-05", served));
    EXPECT_EQ(1, served);
}

TEST_F(LogFileMutation, CsvTimeOfADayThatDoesNotExistIsAnInvalidTime)
{
    const std::string stamp = "2024-02-30T12:00:00.000+00:00";
    WriteCase(CSV_HEADER + CsvLine("2024-02-28T12:00:00.000+00:00", "1") + CsvLine(stamp, "2") +
              CsvLine("2024-03-01T12:00:00.000+00:00", "3"));
    CLogFileInCsv reader;
    reader.Open(m_casePath.c_str());
    LogSampleStore_t samples;
    int served = 0;
    while (served < 10 && reader.ReadAndConvertRecord(samples))
        ++served;
    EXPECT_EQ(3, served);
    ASSERT_EQ(3u, samples[0].size());
    auto sample = samples[0].begin();
    EXPECT_EQ(COleDateTime::valid, sample->time.GetStatus());
    ++sample;
    EXPECT_EQ(COleDateTime::invalid, sample->time.GetStatus());
    EXPECT_EQ(2.0, sample->value);
    ++sample;
    EXPECT_EQ(COleDateTime::valid, sample->time.GetStatus());
    EXPECT_EQ(3.0, sample->value);
    // A malformed stamp still ends the file with the parser's error.
    EXPECT_EQ("timestamp '2024-03-01 12:00' isn't a format I know",
              CsvReadError(CSV_HEADER + CsvLine("2024-03-01 12:00", "1"), served));
}

TEST_F(LogFileMutation, XmlRefusalsSayWhatIsWrongAndWhere)
{
    // -1 names a variable's document, not a variable: the log's tree would hold itself.
    EXPECT_EQ("file's record 2 (line 5) has a 'variable' element of id -1, which no variable can have",
              XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "7") + RecordXml(NOON, "10", "8", "-1") + LOG_TAIL));
    // Other ids the description does not know are columns named "unknown".
    CLogFileInXml::RecordList_t records;
    EXPECT_EQ("(no exception)", XmlLoadError(LOG_HEAD + RecordXml(NOON, "10", "7", "-2") + LOG_TAIL, &records));
    EXPECT_EQ(1u, records.size());

    // A file cut short, and one cut by a NUL, stop where the bytes end.
    const std::string records2 = LOG_HEAD + RecordXml(NOON, "10", "7") + RecordXml(NOON, "10", "8");
    EXPECT_EQ("unable to load log file (line 6, column 1): Error reading end tag.", XmlLoadError(records2));
    std::string nul = records2 + LOG_TAIL;
    nul[nul.find("<record", nul.find("<record") + 1)] = '\0';
    EXPECT_EQ("unable to load log file (line 5, column 5): Error reading end tag.", XmlLoadError(nul));
    // A tag broken inside its attributes.
    EXPECT_EQ("unable to load log file (line 4, column 27): Error reading Attributes.",
              XmlLoadError(std::string(LOG_HEAD) + "    <record hourmeter=\"7\" <variable/></record>\n" + LOG_TAIL));
}
