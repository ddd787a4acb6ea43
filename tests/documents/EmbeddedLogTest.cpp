#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "displays/CDisplayLogWriteDoc.h"
#include "displays/CDisplayStateDoc.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/FileHelpers.h"
#include "documents/TimeHelpers.h"
#include "documents/logfiles/CLogFileInXml.h"
#include "modbus/SharedLinks.h"
#include "shell/ProgramFolders.h"
#include "tests/documents/BenchDeviceDescription.h"
#include "tests/support/FileMutator.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageCollector.h"
#include "tests/support/PeerHost.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"
#include "tests/support/ErrorText.h"

using testing_support::ErrorText;

namespace {

typedef std::vector<std::pair<int, DWORD>> Fields_t;   // (size in bits, raw value), in order
typedef std::map<int, std::string> Texts_t;
const char* const RETRIEVAL = "2020-01-02T00:00:00.000+00:00";
const int HOURMETER_ID = 1;
const int EVENT_ID = 4;
const char* const EVENT_TEXTS[] = {"None", "Power on", "Hourmeter reset"};

// Fixed-length records: bits upward from bit 0 of the first word, each field's lowest bit
// first. Variable-length: downward from bit 15, highest bit first, then the mask word.
std::vector<WORD> Pack(const Fields_t& fields, size_t wordCount, bool fixed, WORD mask = 0)
{
    std::vector<WORD> words(wordCount, 0);
    size_t bit = 0;
    for (const auto& field : fields) {
        for (int i = 0; i < field.first; ++i, ++bit) {
            if ((field.second >> (fixed ? i : field.first - 1 - i)) & 1)
                words[bit / 16] |= WORD(fixed ? 1u << (bit % 16) : 0x8000u >> (bit % 16));
        }
    }
    if (!fixed)
        words.push_back(mask);
    return words;
}

GenericVariable_t Field(const std::string& name, int id, int size, int presentIf = -1, double min = 0)
{
    GenericVariable_t variable;
    variable.name = name;
    variable.id = id;
    variable.size = size;
    variable.presentIf = presentIf;
    variable.min = min;
    if (id == EVENT_ID) {
        variable.hasTranslations = true;
        variable.translations = {{0, EVENT_TEXTS[0]}, {1, EVENT_TEXTS[1]}, {2, EVENT_TEXTS[2]}};
    }
    return variable;
}

GenericDeviceDescription_t Description(std::vector<GenericVariable_t> recordVariables, int endPointerRegister)
{
    GenericDeviceDescription_t description;
    description.defaultName = "Logger";
    description.model = 3;
    description.type = 7;
    description.set = 1;
    description.defaultModbusAddr = 1;
    description.variables.push_back(Field("Hourmeter", HOURMETER_ID, 16));
    description.variables.back().addressLow = 0x20;
    GenericLoggedData_t& logged = description.loggedData;
    logged.bufferStart = 0x100;
    logged.bufferStop = 0x1FF;
    logged.endPointerRegister = endPointerRegister;
    logged.hourmeterDiscontinuityId = EVENT_ID;
    logged.hourmeterDiscontinuityValue = "reset";
    logged.recordVariables = std::move(recordVariables);
    logged.recordVariables.insert(logged.recordVariables.begin(), Field("Hourmeter", HOURMETER_ID, 16));
    logged.hourmeterVariableId = HOURMETER_ID;
    return description;
}

// Slots of three words: a 12-bit value, a signed 8-bit value, an event and 8 unnamed bits.
GenericDeviceDescription_t FixedDescription()
{
    return Description({Field("Volts", 2, 12), Field("Temp", 3, 8, -1, -40), Field("Event", EVENT_ID, 4), Field("", 9, 8)},
                       -1);
}

// The mask selects volts (1), current and event (2), a signed temperature (4).
GenericDeviceDescription_t VariableDescription()
{
    return Description({Field("Volts", 2, 16, 0x1), Field("Current", 3, 12, 0x2), Field("Event", EVENT_ID, 4, 0x2),
                        Field("Temp", 5, 16, 0x4, -100)},
                       0x50);
}

struct VariableRecord_t
{
    int hourmeter;
    WORD mask;
    int volts, current, event, temp;

    std::vector<WORD> Words() const
    {
        Fields_t fields = {{16, DWORD(hourmeter)}};
        if (mask & 1)
            fields.push_back({16, DWORD(volts)});
        if (mask & 2)
            fields.insert(fields.end(), {{12, DWORD(current)}, {4, DWORD(event)}});
        if (mask & 4)
            fields.push_back({16, DWORD(temp) & 0xFFFF});
        size_t bits = 0;
        for (const auto& field : fields)
            bits += size_t(field.first);
        return Pack(fields, bits / 16, false, mask);
    }
    void ExpectIn(const CLogFileInXml::log_file_record_t& actual) const
    {
        Texts_t expected;
        if (mask & 1)
            expected[2] = std::to_string(volts);
        if (mask & 2) {
            expected[3] = std::to_string(current);
            expected[EVENT_ID] = EVENT_TEXTS[event];
        }
        if (mask & 4)
            expected[5] = std::to_string(temp);
        Texts_t texts;
        for (const auto& value : actual.values)
            texts[value.first] = value.second.first;
        EXPECT_EQ(hourmeter, actual.hourmeter);
        EXPECT_EQ(expected, texts) << "hour meter " << hourmeter;
        EXPECT_EQ((mask & 2) && event == 2, actual.discontinuityBefore) << "hour meter " << hourmeter;
    }
};

const std::vector<VariableRecord_t> RECORDS = {
    {20, 0x3, 1200, 35, 1, 0}, {21, 0x1, 1210, 0, 0, 0}, {22, 0x6, 0, 4095, 2, -40},
    {23, 0x0, 0, 0, 0, 0},     {24, 0x7, 60000, 1, 0, 300}, {25, 0x4, 0, 0, 0, -300},
};

std::vector<WORD> Concatenate(const std::vector<VariableRecord_t>& records)
{
    std::vector<WORD> words;
    for (const VariableRecord_t& record : records) {
        const std::vector<WORD> recordWords = record.Words();
        words.insert(words.end(), recordWords.begin(), recordWords.end());
    }
    return words;
}

// Writes its log below a test folder; the file name is the device's own.
class LoggingDevice : public CDocumentDeviceGeneric1
{
public:
    LoggingDevice(const GenericDeviceDescription_t& description, CDocumentManager* manager,
                  const std::wstring& folder = L"")
        : CDocumentDeviceGeneric1(BYTE(description.model), BYTE(description.type), SKELDER_TYPE_NONE, manager),
          m_folder(folder)
    {
        ConfigureFromDescription(description);
    }
    std::wstring GetEmbeddedLogFilePath(std::wstring& logsFolder) override
    {
        std::wstring userFolder;
        const std::wstring path = CDocumentDeviceGeneric1::GetEmbeddedLogFilePath(userFolder);
        logsFolder = m_folder;
        return m_folder + path.substr(userFolder.size());
    }

private:
    std::wstring m_folder;
};

}  // namespace

TEST(EmbeddedLogDecode, FixedLengthSlotsComeSortedWithoutErasedSlots)
{
    LoggingDevice device(FixedDescription(), nullptr);
    std::vector<WORD> words;
    // Hour meters 0 and 0xFFFF mark erased slots.
    for (const Fields_t& slot : {Fields_t{{16, 12}, {12, 4095}, {8, 0xFB}, {4, 2}, {8, 0xAA}},
                                 Fields_t{{16, 0}, {12, 1}, {8, 1}, {4, 1}}, Fields_t{{16, 10}, {12, 1234}, {8, 25}, {4, 1}},
                                 Fields_t{{16, 0xFFFF}, {12, 1}, {8, 1}, {4, 1}}, Fields_t{{16, 11}, {12, 0}, {8, 0x80}}}) {
        const std::vector<WORD> slotWords = Pack(slot, 3, true);
        words.insert(words.end(), slotWords.begin(), slotWords.end());
    }
    const std::list<LogRecordPtr> records =
        device.DecodeLoggedBuffer(RETRIEVAL, 100, words.data(), unsigned(words.size()), WORD(words.size() - 1));
    ASSERT_EQ(3u, records.size());
    std::vector<Texts_t> texts;
    std::vector<int> hourmeters;
    for (const LogRecordPtr& record : records) {
        hourmeters.push_back(record->hourmeter);
        texts.emplace_back();
        for (const auto& value : record->values)
            texts.back()[value.first] = value.second.first;
    }
    EXPECT_EQ((std::vector<int>{10, 11, 12}), hourmeters);
    // Unnamed fields are not kept; a negative min makes a field signed.
    EXPECT_EQ((Texts_t{{2, "1234"}, {3, "25"}, {EVENT_ID, "Power on"}}), texts[0]);
    EXPECT_EQ((Texts_t{{2, "0"}, {3, "-128"}, {EVENT_ID, "None"}}), texts[1]);
    EXPECT_EQ((Texts_t{{2, "4095"}, {3, "-5"}, {EVENT_ID, "Hourmeter reset"}}), texts[2]);
    EXPECT_DOUBLE_EQ(-5.0, records.back()->values.at(3).second);
    EXPECT_FALSE(records.front()->discontinuityBefore);
    EXPECT_TRUE(records.back()->discontinuityBefore);

    // Record times count from the retrieval by the hour-meter difference.
    EXPECT_EQ("2019-12-29T06:00:00.000+00:00", FormatUtcTimestamp(records.front()->recordTime));
    const std::vector<WORD> later = Pack({{16, 103}}, 3, true);
    const LogRecordPtr record = device.DecodeLoggedRecord(later.data(), 3, RETRIEVAL, 100);
    ASSERT_TRUE(record);
    EXPECT_EQ("2020-01-02T03:00:00.000+00:00", FormatUtcTimestamp(record->recordTime));
    EXPECT_EQ(RETRIEVAL, FormatUtcTimestamp(record->retrievalTime));
    EXPECT_EQ(100, record->retrievalHourmeter);
    EXPECT_FALSE(device.DecodeLoggedRecord(later.data(), 0, RETRIEVAL, 100));
}

TEST(EmbeddedLogDecode, VarlistChoosesTheAlternativeOfAFixedLengthRecord)
{
    LoggingDevice device(Description({Field("varlist", 6, 4), Field("A", 7, 12, 1), Field("B", 8, 8, 2), Field("C", 9, 4, 2)}, -1),
                         nullptr);
    std::vector<WORD> words;
    // The third selects nothing, so its fields stop short of the slot's end.
    for (const Fields_t& slot : {Fields_t{{16, 5}, {4, 1}, {12, 100}}, Fields_t{{16, 6}, {4, 2}, {8, 200}, {4, 7}},
                                 Fields_t{{16, 7}, {4, 3}, {12, 9}}}) {
        const std::vector<WORD> slotWords = Pack(slot, 2, true);
        words.insert(words.end(), slotWords.begin(), slotWords.end());
    }
    const std::list<LogRecordPtr> records =
        device.DecodeLoggedBuffer(RETRIEVAL, 10, words.data(), unsigned(words.size()), WORD(words.size() - 1));
    ASSERT_EQ(2u, records.size());
    typedef std::map<int, std::pair<std::string, double>> Values_t;
    EXPECT_EQ((Values_t{{7, {"100", 100}}}), records.front()->values);
    EXPECT_EQ((Values_t{{8, {"200", 200}}, {9, {"7", 7}}}), records.back()->values);
}

TEST(EmbeddedLogDecode, VariableLengthRecordsAreFoundWhereverTheRingEnds)
{
    LoggingDevice device(VariableDescription(), nullptr);
    const std::vector<WORD> linear = Concatenate(RECORDS);
    // The ring has overwritten the first two of the oldest record's four words.
    const unsigned bufCount = unsigned(linear.size() - 2);
    for (unsigned end = 0; end < bufCount; ++end) {
        std::vector<WORD> ring(bufCount);
        for (unsigned i = 0; i < bufCount; ++i)
            ring[(end + 1 + i) % bufCount] = linear[2 + i];
        const std::list<LogRecordPtr> records = device.DecodeLoggedBuffer(RETRIEVAL, 30, ring.data(), bufCount, WORD(end));
        ASSERT_EQ(RECORDS.size() - 1, records.size()) << "end pointer " << end;
        size_t index = 1;
        for (const LogRecordPtr& record : records)
            RECORDS[index++].ExpectIn(*record);
    }
}

TEST(EmbeddedLogDecode, BadDescriptionsAndPointersAreRejected)
{
    const std::vector<WORD> words(8, 0x1234);
    const auto decodeWith = [&](const GenericDeviceDescription_t& description, WORD end) {
        LoggingDevice device(description, nullptr);
        return ErrorText([&] { device.DecodeLoggedBuffer(RETRIEVAL, 1, words.data(), 8, end); });
    };
    EXPECT_EQ("CDocumentDeviceGeneric1::DecodeEmbeddedLoggedData given endOfLastRecordPointer past bufCount",
              decodeWith(FixedDescription(), 8));
    EXPECT_EQ("CDocumentDeviceGeneric1::DecodeEmbeddedLoggedData computed a non-word-aligned record length",
              decodeWith(Description({Field("X", 2, 4)}, -1), 7));
    // Fields of no bits would hold the walk where it is for ever.
    GenericDeviceDescription_t empty = Description({}, -1);
    empty.loggedData.recordVariables[0].size = 0;
    EXPECT_NE(std::string::npos, decodeWith(empty, 7).find("record length of 0 words"));
    EXPECT_EQ("failed to extract \"Wide\" from embedded logged record",
              decodeWith(Description({Field("Wide", 2, 48)}, -1), 7));

    // A mask that asks for more than the record holds.
    LoggingDevice device(Description({Field("Long", 2, 16, 0x1)}, 0x50), nullptr);
    const WORD record[] = {0x0005, 0x0001};
    EXPECT_EQ("failed to extract \"Long\" from embedded logged record",
              ErrorText([&] { device.DecodeLoggedRecord(record, 2, RETRIEVAL, 1); }));
}

TEST(EmbeddedLogNames, VariableNamesAndTheLogFileName)
{
    GenericDeviceDescription_t description = FixedDescription();
    description.defaultName = "Varnix/MPPT: 1";
    LoggingDevice device(description, nullptr);
    EXPECT_EQ("Temp", device.GetLoggedVariableName(3));
    EXPECT_EQ("unknown", device.GetLoggedVariableName(42));

    device.SetSerialText("A*B?<C>|\"D\\E\x01");
    std::wstring folder;
    const std::wstring path = device.CDocumentDeviceGeneric1::GetEmbeddedLogFilePath(folder);
    EXPECT_EQ(GetProgramFolders().GetLogFolder(), folder);
    EXPECT_EQ(folder + L"\\Varnix_MPPT_ 1-A_B__C___D_E_.xml", path);
}

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// The files (or, with folders true, the folders) of a folder, at most 100.
std::vector<std::wstring> FolderEntries(const std::wstring& folder, bool folders)
{
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (int i = 0; i < 100 && search != INVALID_HANDLE_VALUE; ++i) {
        if (((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders && found.cFileName[0] != L'.')
            paths.push_back(folder + L"\\" + found.cFileName);
        if (!FindNextFileW(search, &found))
            break;
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return paths;
}

// Downloads into a fresh folder of the build tree through a running dispatcher, whose
// refresh events come to a collector window.
class EmbeddedLogFile : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string root = testing_support::BuildPath("tests/documents/embedded log-" +
                                                            testing_support::ProcessTag());
        m_root = std::wstring(root.begin(), root.end());
        m_folder = m_root + L"\\logs";
        RemoveFolder();
        m_manager.GetDispatcher().SetTargetWindow(m_collector.Window());
        m_device.reset(new LoggingDevice(VariableDescription(), &m_manager, m_folder));
        m_id = m_manager.AddDevice(m_device);
        std::wstring folder;
        m_path = m_device->GetEmbeddedLogFilePath(folder);
    }
    void TearDown() override
    {
        m_manager.RemoveDevice(m_device);
        RemoveFolder();
    }
    void RemoveFolder()
    {
        for (const std::wstring& path : FolderEntries(m_folder, false))
            DeleteFileW(path.c_str());
        for (const std::wstring& path : FolderEntries(m_folder, true))
            RemoveDirectoryW(path.c_str());
        RemoveDirectoryW(m_folder.c_str());
        RemoveDirectoryW(m_root.c_str());
    }

    void Download(const std::vector<VariableRecord_t>& records, const char* retrieval, int retrievalHourmeter)
    {
        const std::vector<WORD> words = Concatenate(records);
        m_device->DecodeEmbeddedLoggedData(retrieval, retrievalHourmeter, words.data(), unsigned(words.size()),
                                           WORD(words.size() - 1));
    }
    CLogFileInXml::RecordList_t ReadLog()
    {
        CLogFileInXml log;
        log.Open(m_path.c_str());
        return log.GetRecords();
    }
    size_t RefreshCount(int code)
    {
        size_t count = 0;
        for (const auto& message : m_collector.Messages(WM_APP_REFRESH_EVENT))
            count += message.wParam == WPARAM(code) && message.lParam == LPARAM(m_id) ? 1 : 0;
        return count;
    }
    bool WaitForRefresh(int code, size_t count, DWORD timeoutMs)
    {
        return m_collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>&) {
            return RefreshCount(code) >= count;
        }, timeoutMs);
    }
    bool MessagesHave(const std::string& text)
    {
        return m_device->GetMessagesText().find(text) != std::string::npos;
    }

    testing_support::MessageCollector m_collector;
    CDocumentManager m_manager;
    boost::shared_ptr<LoggingDevice> m_device;
    int m_id = 0;
    std::wstring m_root, m_folder, m_path;
};

const std::vector<VariableRecord_t> FIRST_DOWNLOAD(RECORDS.begin(), RECORDS.begin() + 4);
const std::vector<VariableRecord_t> SECOND_DOWNLOAD(RECORDS.begin() + 2, RECORDS.end());

}  // namespace

TEST_F(EmbeddedLogFile, DownloadsMergeWithoutLosingOrRepeatingRecords)
{
    // The log folder and its parent are made.
    Download(FIRST_DOWNLOAD, RETRIEVAL, 30);
    EXPECT_TRUE(WaitForRefresh(REFRESH_DEVICE_LOG_DOWNLOADED, 1, 5000));
    ASSERT_EQ(FIRST_DOWNLOAD.size(), ReadLog().size());

    // The same buffer again, then one that the ring has moved on from: two records are new.
    Download(FIRST_DOWNLOAD, "2020-01-03T00:00:00.000+00:00", 54);
    EXPECT_EQ(FIRST_DOWNLOAD.size(), ReadLog().size());
    Download(SECOND_DOWNLOAD, "2020-01-04T00:00:00.000+00:00", 78);
    const CLogFileInXml::RecordList_t records = ReadLog();
    ASSERT_EQ(RECORDS.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        RECORDS[i].ExpectIn(records[i]);
        // A record downloaded again stays as it was first written.
        EXPECT_EQ(i < FIRST_DOWNLOAD.size() ? RETRIEVAL : "2020-01-04T00:00:00.000+00:00",
                  FormatUtcTimestamp(records[i].retrievalTime));
    }
    EXPECT_EQ(std::vector<std::wstring>{m_path}, FolderEntries(m_folder, false));
    EXPECT_EQ("", m_device->GetMessagesText());
    // Only the first log in the folder is announced.
    m_collector.PumpFor(300);
    EXPECT_EQ(1u, RefreshCount(REFRESH_DEVICE_LOG_DOWNLOADED));
}

TEST_F(EmbeddedLogFile, AnOldFileThatCannotBeLoadedIsKeptAside)
{
    const auto writeOldLog = [&](int model, int type, int set) {
        CLogFileInXml log;
        log.SetDevice(model, type, set);
        CLogFileInXml::log_file_record_t record;
        record.retrievalTime = ParseUtcTimestamp(RETRIEVAL);
        record.values[2] = std::make_pair("old", 0.0);
        log.MergeRecords({record});
        log.WriteFile(m_path.c_str());
    };
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { writeOldLog(3, 9, 1); }, "existing log file has a device type mismatch (file's 9 != our 7)"},
        {[&] { writeOldLog(4, 7, 1); }, "existing log file has a device model mismatch"},
        {[&] { writeOldLog(3, 7, 2); }, "existing log file has a device set mismatch"},
        {[&] { testing_support::WriteFileText(Narrow(m_path), "<quorvant><logged"); }, "unable to load log file"},
        // An id that names no variable: the file's column would stand for the log itself.
        {[&] {
             writeOldLog(3, 7, 1);
             std::string text = testing_support::ReadFileText(Narrow(m_path));
             text.replace(text.find("id=\"2\""), 6, "id=\"-1\"");
             testing_support::WriteFileText(Narrow(m_path), text);
         },
         "file's record 1 (line 4) has a 'variable' element of id -1, which no variable can have"},
    };
    for (const auto& failure : cases) {
        RemoveFolder();
        ASSERT_EQ(0, MakeDirectoryPath(m_folder.c_str()));
        failure.first();
        const std::string oldText = testing_support::ReadFileText(Narrow(m_path));

        Download(FIRST_DOWNLOAD, RETRIEVAL, 30);

        EXPECT_EQ(FIRST_DOWNLOAD.size(), ReadLog().size());
        const std::vector<std::wstring> files = FolderEntries(m_folder, false);
        ASSERT_EQ(2u, files.size()) << failure.second;
        const std::wstring aside = files[0] == m_path ? files[1] : files[0];
        EXPECT_EQ(0u, aside.find(m_path + L".bad-")) << Narrow(aside);
        EXPECT_EQ(oldText, testing_support::ReadFileText(Narrow(aside)));
        EXPECT_TRUE(MessagesHave("Unable to read old logged data from disk (" + Narrow(m_path) + "): " + failure.second))
            << m_device->GetMessagesText();
        EXPECT_TRUE(MessagesHave(Narrow(aside))) << m_device->GetMessagesText();
    }
}

// The download's read of the log already on disk, with every cut of a small downloaded log
// and seeded damage to it: the old file is merged, or kept aside with its reason and the
// log written anew; either way the file written opens as File > Open Log File opens it.
TEST_F(EmbeddedLogFile, DamagedOldLogsAreMergedOrKeptAsideAndWhatIsWrittenOpens)
{
    const std::wstring programFolder = GetProgramFolders().GetProgramFolder();
    ASSERT_EQ(0, MakeDirectoryPath(m_root.c_str()));
    ASSERT_TRUE(testing_support::WriteFileText(Narrow(m_root) + "\\devices.xml", testing_support::BENCH_DEVICE_DESCRIPTION));
    GetProgramFolders().SetProgramFolder(m_root);
    const std::vector<VariableRecord_t> oldRecords(RECORDS.begin(), RECORDS.begin() + 2);
    const std::vector<VariableRecord_t> newRecords(RECORDS.begin() + 1, RECORDS.begin() + 3);
    Download(oldRecords, RETRIEVAL, 30);
    const std::string valid = testing_support::ReadFileText(Narrow(m_path));
    ASSERT_GT(valid.size(), 200u);

    testing_support::FileMutator mutator(20250113);
    const size_t cuts = valid.size();
    const size_t seeded = 200;
    int adopted = 0;
    int refused = 0;
    for (size_t index = 0; index < cuts + seeded && !HasFailure(); ++index) {
        const bool cut = index < cuts;
        const std::string bytes = cut ? valid.substr(0, index) : mutator.Mutate(valid);
        const std::string label = cut ? "cut at " + std::to_string(index) : "seeded case " + std::to_string(index - cuts);
        for (const std::wstring& path : FolderEntries(m_folder, false))
            DeleteFileW(path.c_str());
        ASSERT_TRUE(testing_support::WriteFileText(Narrow(m_path), bytes)) << label;

        Download(newRecords, "2020-01-03T00:00:00.000+00:00", 54);

        const std::vector<std::wstring> files = FolderEntries(m_folder, false);
        const std::string messages = m_device->GetMessagesText();
        EXPECT_EQ(std::string::npos, messages.find("Unable to write")) << label << ": " << messages;
        const size_t written = ReadLog().size();
        if (messages.find("Unable to read old logged data from disk (" + Narrow(m_path) + "): ") == std::string::npos) {
            ++adopted;
            EXPECT_EQ(std::vector<std::wstring>{m_path}, files) << label;
            EXPECT_GE(written, newRecords.size()) << label;
        } else {
            ++refused;
            ASSERT_EQ(2u, files.size()) << label << ": " << messages;
            const std::wstring aside = files[0] == m_path ? files[1] : files[0];
            EXPECT_TRUE(testing_support::ReadFileText(Narrow(aside)) == bytes) << label << ": the old file was not kept";
            EXPECT_EQ(newRecords.size(), written) << label;
            EXPECT_EQ(std::string::npos, messages.find("): unable to load log file;")) << label << ": " << messages;
        }
        CDocumentLogFile document;
        try {
            document.OpenLogFile(m_path);
        } catch (const std::exception& error) {
            ADD_FAILURE() << label << ": the written log does not open: " << error.what();
        }
        document.StopMonitor();
    }
    GetProgramFolders().SetProgramFolder(programFolder);
    DeleteFileW((m_root + L"\\devices.xml").c_str());
    std::printf("[ figures  ] XML through the download's read of the old log: %d files tried, %d adopted, %d refused\n",
                adopted + refused, adopted, refused);
    EXPECT_GT(adopted, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(EmbeddedLogFile, AnOldFileIsNeverReplacedByAnIncompleteOne)
{
    // Held open by another program, it can be neither read nor moved aside.
    ASSERT_EQ(0, MakeDirectoryPath(m_folder.c_str()));
    ASSERT_TRUE(testing_support::WriteFileText(Narrow(m_path), "held"));
    HANDLE held = CreateFileW(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Download(FIRST_DOWNLOAD, RETRIEVAL, 30);
    CloseHandle(held);
    EXPECT_EQ("held", testing_support::ReadFileText(Narrow(m_path)));
    EXPECT_EQ(std::vector<std::wstring>{m_path}, FolderEntries(m_folder, false));
    EXPECT_TRUE(MessagesHave("Unable to read old logged data from disk (" + Narrow(m_path) + "): "));
    EXPECT_TRUE(MessagesHave("Unable to write embedded logged data (" + Narrow(m_path) + "): "));

    // A folder where the new file is written first makes the write fail.
    DeleteFileW(m_path.c_str());
    Download(FIRST_DOWNLOAD, RETRIEVAL, 30);
    const std::string before = testing_support::ReadFileText(Narrow(m_path));
    ASSERT_TRUE(CreateDirectoryW((m_path + L".tmp").c_str(), nullptr));
    Download(SECOND_DOWNLOAD, "2020-01-04T00:00:00.000+00:00", 78);
    RemoveDirectoryW((m_path + L".tmp").c_str());
    EXPECT_EQ(before, testing_support::ReadFileText(Narrow(m_path)));
    EXPECT_TRUE(MessagesHave("Unable to write embedded logged data (" + Narrow(m_path) + "): unable to write"));

    // The next download succeeds and clears the message.
    Download(SECOND_DOWNLOAD, "2020-01-05T00:00:00.000+00:00", 102);
    EXPECT_EQ(RECORDS.size(), ReadLog().size());
    EXPECT_EQ("", m_device->GetMessagesText());
}

TEST_F(EmbeddedLogFile, AFileAnotherProgramReadsIsReplacedOnceItLetsGo)
{
    Download(FIRST_DOWNLOAD, RETRIEVAL, 30);
    ASSERT_EQ(FIRST_DOWNLOAD.size(), ReadLog().size());

    // A viewer or a virus scanner reading the file for a moment: the new file still takes its place.
    {
        testing_support::FileHeldOpen reader(m_path);
        ASSERT_TRUE(reader.Opened());
        reader.ReleaseAfter(300);
        Download(SECOND_DOWNLOAD, "2020-01-04T00:00:00.000+00:00", 78);
    }
    EXPECT_EQ(RECORDS.size(), ReadLog().size());
    EXPECT_EQ("", m_device->GetMessagesText());

    // One that keeps it open: the old file stays whole and the failure is told.
    const std::vector<VariableRecord_t> later(RECORDS.begin() + 1, RECORDS.end());
    const std::string before = testing_support::ReadFileText(Narrow(m_path));
    {
        testing_support::FileHeldOpen reader(m_path);
        ASSERT_TRUE(reader.Opened());
        Download(later, "2020-01-05T00:00:00.000+00:00", 102);
    }
    EXPECT_EQ(before, testing_support::ReadFileText(Narrow(m_path)));
    EXPECT_EQ(std::vector<std::wstring>{m_path}, FolderEntries(m_folder, false));
    EXPECT_TRUE(MessagesHave("Unable to write embedded logged data (" + Narrow(m_path) + "): unable to replace logfile"))
        << m_device->GetMessagesText();
}

TEST_F(EmbeddedLogFile, MakingAFolderPathReportsTheFirstFailure)
{
    EXPECT_EQ(EINVAL, MakeDirectoryPath(nullptr));
    EXPECT_EQ(0, MakeDirectoryPath((m_folder + L"\\a\\\\").c_str()));
    EXPECT_EQ(0, MakeDirectoryPath(m_folder.c_str()));   // all there already
    ASSERT_TRUE(testing_support::WriteFileText(Narrow(m_folder + L"\\file"), "x"));
    EXPECT_NE(0, MakeDirectoryPath((m_folder + L"\\file\\b").c_str()));
    EXPECT_EQ((std::vector<std::wstring>{m_folder + L"\\a"}), FolderEntries(m_folder, true));
}

namespace {

// The whole download when the connection opens, from the test device over Modbus/TCP.
class EmbeddedLogDevice : public EmbeddedLogFile
{
protected:
    // serial: over a pty pair; with lossRules over a line at 9,600 baud that loses the
    // replies they choose (tests/device/line_relay.py).
    bool Connect(bool withBuffer, const std::string& unitExtras = "", bool serial = false,
                 const std::string& lossRules = "")
    {
        // A ring of 0x100 words whose newest record ends at word 40; the other words are
        // erased slots.
        const unsigned end = 40;
        const std::vector<WORD> linear = Concatenate(RECORDS);
        std::vector<WORD> ring(0x100, 0);
        for (size_t i = 0; i < linear.size(); ++i)
            ring[(end + 1 + 0x100 - linear.size() + i) % 0x100] = linear[i];
        std::string words;
        for (WORD word : ring)
            words += (words.empty() ? "" : ",") + std::to_string(word);
        // The product code names the log file, with the slash replaced.
        const std::string profile = "{\"units\": {\"1\": {\"identification\": {\"1\": \"QV/2000\"}, \"holding\": "
                                    "{\"32\": 31, \"80\": " + std::to_string(end) +
                                    (withBuffer ? ", \"256\": [" + words + "]" : std::string()) + "}" +
                                    unitExtras + "}}}";
        testing_support::SerialPair pair;
        if (serial) {
            pair = lossRules.empty() ? m_host.OpenSerialPair() : m_host.OpenLossySerialPair(9600, lossRules);
            if (pair.id == 0) {
                ADD_FAILURE() << m_host.Error();
                return false;
            }
        }
        const testing_support::StartedTestDevice started = testing_support::StartTestDevice(
            m_host, "tests/documents/embedded-log", profile,
            serial ? std::vector<std::string>{"--rtu", pair.peerPath} : std::vector<std::string>{"--tcp-port", "0"},
            120);
        m_peer = started.id;
        m_journalPath = started.journalPath;
        if (started.id == 0 || !started.error.empty()) {
            ADD_FAILURE() << started.error;
            return false;
        }
        ModbusEndpoint_t endpoint;
        endpoint.network = !serial;
        endpoint.host = serial ? "" : "127.0.0.1";
        endpoint.port = serial ? pair.com : started.tcpPort;
        endpoint.unitId = 1;
        m_device->ApplyEndpoint(endpoint);
        m_device->GetGenericConnection()->Connect();
        // The connection's own state change, then the one after the log was handled.
        const bool handled = m_collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>&) {
            return RefreshCount(REFRESH_STATE_CHANGED) >= 2 && !m_device->IsBusy();
        }, 20000);
        std::wstring folder;
        m_path = m_device->GetEmbeddedLogFilePath(folder);
        return handled;
    }
    void TearDown() override
    {
        if (m_device->IsConnected())
            m_device->GetGenericConnection()->Disconnect();
        if (m_peer != 0)
            m_host.Stop(m_peer);
        EmbeddedLogFile::TearDown();
    }

    testing_support::PeerHost m_host;
    int m_peer = 0;
    std::string m_journalPath;
};

}  // namespace

TEST_F(EmbeddedLogDevice, TheFirstConnectDownloadsTheLog)
{
    ASSERT_TRUE(Connect(true));
    EXPECT_TRUE(WaitForRefresh(REFRESH_OPEN_DEVICE_LOG, 1, 5000));
    EXPECT_TRUE(WaitForRefresh(REFRESH_DEVICE_LOG_DOWNLOADED, 1, 5000));
    EXPECT_EQ("", m_device->GetMessagesText());
    EXPECT_EQ(m_folder + L"\\QV_2000-.xml", m_path);
    const CLogFileInXml::RecordList_t records = ReadLog();
    ASSERT_EQ(RECORDS.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        RECORDS[i].ExpectIn(records[i]);
        EXPECT_EQ(31, records[i].retrievalHourmeter);
    }
}

TEST_F(EmbeddedLogDevice, BlocksTheLineLostAreAskedForAgainAndTheDownloadGoesOn)
{
    // Over a serial line, the buffer's three requests (0x100, 0x17c, 0x1f8): the first
    // reply stops for 0.3 s half way, the second is not answered twice and the third comes
    // garbled twice, more than the link's own two attempts each.
    ASSERT_TRUE(Connect(true,
                        R"(, "faults": [{"kind": "stall", "seconds": 0.3, "function": 3, "address": 256, "times": 1},)"
                        R"( {"kind": "silence", "function": 3, "address": 380, "times": 2},)"
                        R"( {"kind": "bad_crc", "function": 3, "address": 504, "times": 2}])",
                        true));
    EXPECT_TRUE(WaitForRefresh(REFRESH_OPEN_DEVICE_LOG, 1, 5000));
    EXPECT_EQ("", m_device->GetMessagesText()) << "an answering device is not marked";
    const CLogFileInXml::RecordList_t records = ReadLog();
    ASSERT_EQ(RECORDS.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i)
        RECORDS[i].ExpectIn(records[i]);

    std::map<std::string, int> asked;
    std::istringstream journal(testing_support::ReadFileText(m_journalPath));
    std::string line;
    while (std::getline(journal, line))
        ++asked[testing_support::PeerHost::Field(line, "address")];
    EXPECT_EQ(3, asked["380"]);
    EXPECT_EQ(3, asked["504"]);
}

TEST_F(EmbeddedLogDevice, AFailedDownloadEndsTheBusyStateToo)
{
    ASSERT_TRUE(Connect(false));
    EXPECT_TRUE(m_device->IsConnected());
    EXPECT_TRUE(m_device->IsLogHandled());
    // The buffer is not mapped: the block's refusal is the reason.
    EXPECT_EQ("Unable to read embedded logged data from control: "
              "unable to read logged data from control (Modbus PDU 0x0100-0x01ff): "
              "unable to read Modbus PDU 0x0100-0x015e: Modbus device return an exception code 2 (illegal data address)",
              m_device->GetMessagesText());
    m_collector.PumpFor(300);
    EXPECT_EQ(0u, RefreshCount(REFRESH_OPEN_DEVICE_LOG));
    EXPECT_FALSE(FileExists(m_path));
}

TEST_F(EmbeddedLogDevice, EveryConnectionIsBusyUntilItsOwnDownloadRanAndQuickReconnectsAreSafe)
{
    // The buffer's first request is answered after a while: each download takes it.
    ASSERT_TRUE(Connect(true, R"(, "faults": [{"kind": "delay", "seconds": 0.5, "function": 3, "address": 256}])"));
    auto connection = m_device->GetGenericConnection();

    // A reconnect downloads again, and is busy (not polled, not to be disconnected) until then.
    ASSERT_TRUE(connection->Disconnect());
    connection->Connect();
    EXPECT_TRUE(m_device->IsBusy());
    EXPECT_TRUE(m_collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>&) {
        return !m_device->IsBusy();
    }, 20000));
    EXPECT_TRUE(WaitForRefresh(REFRESH_OPEN_DEVICE_LOG, 2, 5000));

    // Connect and disconnect in quick turns while the dispatcher's downloads read through
    // the same connection: the heap checks of the run see any use of a released link.
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(connection->Disconnect());
        connection->Connect();
        m_collector.PumpFor(round * 10);
    }
    EXPECT_TRUE(m_collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>&) {
        return m_device->IsLogHandled();
    }, 60000));
    EXPECT_FALSE(m_device->IsBusy());
    EXPECT_TRUE(connection->IsConnected());
    EXPECT_EQ(RECORDS.size(), ReadLog().size());
}

namespace {

// The buffer's second and third requests as they begin on the line (unit 1, function 3,
// 0x17c and 0x1f8).
const char* const SECOND_BLOCK_REQUEST = "0103017c";
const char* const THIRD_BLOCK_REQUEST = "010301f8";
const int TREE_CONNECTED = 3;
const int TREE_CONNECTED_BUSY = 4;
const int TREE_NOT_ANSWERING = 15;
// A poll round: the poll period and a poll's two attempts.
const double POLL_ROUND_S = 1.0 + 2 * SHARED_SERIAL_TIMEOUT_MS / 1000.0;
// Fewer looks in a phase than this and the watch was blind to it. A look is taken every 10 ms
// but takes longer on a loaded machine (40 in the shortest phase, the wait for the mark, at a
// load of 20-35 on 8 processors): a count, not a rate, with four times that margin.
const size_t LEAST_LOOKS = 10;

// What the device tree, the State display and the Logger showed of the device at a moment.
struct Look_t
{
    double at = 0;   // the test device's journal clock
    bool connected = false;
    bool busy = false;
    bool answering = false;
    int treeImage = 0;
    bool stateLive = false;
    size_t loggerRows = 0;
};

// The device polled on a line at 9,600 baud that loses chosen replies, with a State display
// and a Logger of its hour meter.
class EmbeddedLogOnALossyLine : public EmbeddedLogDevice
{
protected:
    void SetUp() override
    {
        EmbeddedLogDevice::SetUp();
        m_state.reset(new CDisplayStateDoc);
        m_state->SetDocumentManager(&m_manager);
        m_manager.AddDisplay(m_state);
        m_state->AddVariable(HourmeterItem());
    }
    void TearDown() override
    {
        StopLogger();
        m_manager.RemoveDisplay(m_state);
        EmbeddedLogDevice::TearDown();
    }
    CTreeItem HourmeterItem() { return CTreeItem("Hourmeter", "", STORAGE_TYPE_SIMPLE_VALUE, HOURMETER_ID, m_id, ""); }

    void StartLogger(const std::string& name)
    {
        StopLogger();
        m_logger.reset(new CDisplayLogWriteDoc);
        m_logger->SetDocumentManager(&m_manager);
        m_manager.AddDisplay(m_logger);
        m_logger->AddVariable(HourmeterItem());
        const std::string folder = testing_support::BuildPath("test-output\\documents");
        testing_support::EnsureDirectory(folder);
        m_csvPath = folder + "\\" + name + "-" + testing_support::ProcessTag() + ".csv";
        m_logger->SetInterval(1);
        m_logger->SetFileName(m_csvPath.c_str());
        m_logger->Start();
    }
    void StopLogger()
    {
        if (!m_logger)
            return;
        if (m_logger->IsRecording())
            m_logger->Stop();
        m_manager.RemoveDisplay(m_logger);
        m_logger.reset();
    }
    // The hour-meter field of every row the Logger wrote.
    std::vector<std::string> LoggerFields()
    {
        std::vector<std::string> fields;
        if (m_csvPath.empty())
            return fields;
        std::ifstream in(m_csvPath);
        std::string line;
        std::getline(in, line);   // the header
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const size_t comma = line.find(',');
            if (comma != std::string::npos)
                fields.push_back(line.substr(comma + 1));
        }
        return fields;
    }

    // Looks every 10 ms for at most ms, or until done holds. A look whose judgement changed
    // while it was taken is left out: it falls between two states.
    std::vector<Look_t> Watch(DWORD ms, const std::function<bool()>& done = nullptr)
    {
        std::vector<Look_t> looks;
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < ms && !(done && done())) {
            Look_t look;
            look.at = testing_support::JournalClockNow();
            look.connected = m_device->IsConnected();
            look.busy = m_device->IsBusy();
            look.answering = m_device->IsAnswering();
            look.treeImage = m_device->GetTreeImage();
            look.stateLive = m_state->IsRowLive(0);
            look.loggerRows = LoggerFields().size();
            if (look.answering == m_device->IsAnswering() && look.connected == m_device->IsConnected() &&
                look.busy == m_device->IsBusy())
                looks.push_back(look);
            m_collector.PumpFor(10);
        }
        return looks;
    }

    // The tree marks the device exactly while it is judged not answering, and the State
    // display greys it exactly then.
    static void ExpectTreeAndStateAgree(const std::vector<Look_t>& looks, const char* phase)
    {
        size_t disagreeing = 0;
        for (const Look_t& look : looks) {
            if (!look.connected)
                continue;
            const int image = !look.answering ? TREE_NOT_ANSWERING : look.busy ? TREE_CONNECTED_BUSY : TREE_CONNECTED;
            if (look.treeImage != image || look.stateLive != look.answering) {
                if (disagreeing++ == 0)
                    ADD_FAILURE() << phase << ": the device is judged " << (look.answering ? "" : "not ")
                                  << "answering, the tree shows image " << look.treeImage << " and the State display "
                                  << (look.stateLive ? "live" : "greyed") << " values";
            }
        }
        EXPECT_EQ(0u, disagreeing) << phase << ", of " << looks.size() << " looks";
        EXPECT_GE(looks.size(), LEAST_LOOKS) << phase;
    }

    // The Logger's rows written while the device was judged not answering are empty; those
    // written after `filledFrom` while it was judged answering hold its value.
    void ExpectLoggerAgrees(const std::vector<Look_t>& looks, double filledFrom, size_t leastFilled, const char* phase)
    {
        const std::vector<std::string> fields = LoggerFields();
        size_t filled = 0;
        for (size_t i = 1; i < looks.size(); ++i) {
            for (size_t row = looks[i - 1].loggerRows; row < looks[i].loggerRows && row < fields.size(); ++row) {
                if (looks[i - 1].answering != looks[i].answering)
                    continue;
                if (!looks[i].answering) {
                    EXPECT_EQ("", fields[row]) << phase << ": row " << row << " was written while the device was marked";
                } else if (looks[i - 1].at >= filledFrom) {
                    EXPECT_NE("", fields[row]) << phase << ": row " << row << " was written while the device answered";
                    ++filled;
                }
            }
        }
        EXPECT_GE(filled, leastFilled) << phase;
    }

    // When the marks ended: the first look from which the device was judged answering in every
    // later look; 0 when the last look was marked.
    static double AnsweringFrom(const std::vector<Look_t>& looks)
    {
        double from = looks.empty() ? 0 : looks.front().at;
        for (const Look_t& look : looks)
            if (!look.answering)
                from = 0;
            else if (from == 0)
                from = look.at;
        return from;
    }

    // The arrival times of the function-3 requests for an address since `since`.
    std::vector<double> Requests(int address, double since)
    {
        std::vector<double> times;
        std::istringstream journal(testing_support::ReadFileText(m_journalPath));
        std::string line;
        while (std::getline(journal, line)) {
            if (testing_support::PeerHost::Field(line, "function") != "3" ||
                testing_support::PeerHost::Field(line, "address") != std::to_string(address))
                continue;
            const double at = std::atof(testing_support::PeerHost::Field(line, "time").c_str());
            if (at >= since)
                times.push_back(at);
        }
        return times;
    }

    void Reconnect()
    {
        const boost::shared_ptr<CConnectionGeneric1> connection = m_device->GetGenericConnection();
        ASSERT_TRUE(connection->Disconnect());
        connection->Connect();
        ASSERT_TRUE(m_device->IsConnected());
    }

    boost::shared_ptr<CDisplayStateDoc> m_state;
    boost::shared_ptr<CDisplayLogWriteDoc> m_logger;
    std::string m_csvPath;
};

}  // namespace

// The line loses the replies to the buffer's second request six times in a row (its three
// attempts, two tries each): the download ends, told with the block and why, and the device,
// which answers every poll, is not marked; then, on the next connect, every reply for 3 s from
// the third request on: the download ends there, and once the device answers again it is
// unmarked within a poll round. The tree, the State display and the Logger say the same
// throughout. A device marked when it was disconnected is not marked on its next connect,
// which writes the whole log.
TEST_F(EmbeddedLogOnALossyLine, ALostBlockEndsTheDownloadButMarksTheDeviceOnlyWhileItDoesNotAnswer)
{
    const std::string rules = std::string("[{\"request\": \"") + SECOND_BLOCK_REQUEST + "\", \"times\": 6}, "
                              "{\"request\": \"" + THIRD_BLOCK_REQUEST + "\", \"seconds\": 3.0}]";
    const std::string failed = "Unable to read embedded logged data from control: unable to read logged data from "
                               "control (Modbus PDU 0x0100-0x01ff): unable to read Modbus PDU ";

    // Six lost replies.
    const double firstConnect = testing_support::JournalClockNow();
    ASSERT_TRUE(Connect(true, R"(, "faults": [{"kind": "silence", "function": 3, "address": 32, "while_file": "silent"}])",
                        true, rules));
    EXPECT_EQ(6u, Requests(0x17C, firstConnect).size());
    EXPECT_EQ(0u, Requests(0x1F8, firstConnect).size());
    EXPECT_EQ(failed + "0x017c-0x01f7: time out error", m_device->GetMessagesText());
    EXPECT_FALSE(FileExists(m_path));
    std::vector<Look_t> looks = Watch(10000, [&] { return m_state->GetValueText(0) != ""; });
    EXPECT_NE("", m_state->GetValueText(0)) << "the device is polled";
    StartLogger("lost-block");
    const std::vector<Look_t> polled = Watch(4500);
    looks.insert(looks.end(), polled.begin(), polled.end());
    ExpectTreeAndStateAgree(looks, "after six lost replies");
    EXPECT_EQ(looks.front().at, AnsweringFrom(looks)) << "a device that answered every poll was marked";
    ExpectLoggerAgrees(polled, 0, 3, "after six lost replies");
    StopLogger();

    // Every reply lost for 3 s.
    const double secondConnect = testing_support::JournalClockNow();
    Reconnect();
    looks = Watch(30000, [&] { return !m_device->IsBusy(); });
    EXPECT_FALSE(m_device->IsBusy());
    EXPECT_EQ(failed + "0x01f8-0x01ff: time out error", m_device->GetMessagesText());
    StartLogger("lost-replies");
    const std::vector<Look_t> after = Watch(DWORD(3 * POLL_ROUND_S * 1000));
    looks.insert(looks.end(), after.begin(), after.end());
    ExpectTreeAndStateAgree(looks, "after 3 s of lost replies");
    const std::vector<double> lossFrom = Requests(0x1F8, secondConnect);
    ASSERT_FALSE(lossFrom.empty());
    // The first poll that came after the loss was answered; the device is unmarked at once.
    double answered = 0;
    for (double poll : Requests(0x20, lossFrom.front() + 3.0 + 0.05))
        if (answered == 0)
            answered = poll;
    ASSERT_NE(0, answered);
    EXPECT_LE(answered, lossFrom.front() + 3.0 + 3 * POLL_ROUND_S) << "the device is polled again";
    const double answeringFrom = AnsweringFrom(looks);
    EXPECT_NE(0, answeringFrom) << "the device was still marked at the end";
    EXPECT_LE(answeringFrom, answered + POLL_ROUND_S) << "marked " << answeringFrom - answered
                                                      << " s after it answered";
    ExpectLoggerAgrees(after, std::max(answeringFrom, answered), 2, "after 3 s of lost replies");
    size_t marked = 0;
    for (const Look_t& look : looks)
        marked += look.answering ? 0 : 1;
    std::printf("3 s of replies lost from the third request on: the download ended %.2f s after the loss began, "
                "the first poll after the loss was answered %.2f s after its end; %u of %u looks marked\n",
                after.empty() ? 0.0 : after.front().at - lossFrom.front(), answered - lossFrom.front() - 3.0,
                unsigned(marked), unsigned(looks.size()));
    StopLogger();

    // The device stops answering its polls and is marked; it is disconnected, and answers
    // again by the next connect, which writes the whole log and does not mark it meanwhile.
    const std::string silentFile = m_journalPath.substr(0, m_journalPath.find_last_of("\\/")) + "\\silent";
    std::ofstream(silentFile).close();
    looks = Watch(DWORD(3 * POLL_ROUND_S * 1000), [&] { return !m_device->IsAnswering(); });
    ExpectTreeAndStateAgree(looks, "while the polls go unanswered");
    EXPECT_FALSE(m_device->IsAnswering());
    ASSERT_TRUE(m_device->GetGenericConnection()->Disconnect());
    ::DeleteFileA(silentFile.c_str());
    m_device->GetGenericConnection()->Connect();
    looks = Watch(30000, [&] { return !m_device->IsBusy(); });
    EXPECT_EQ(0, std::count_if(looks.begin(), looks.end(), [](const Look_t& look) { return !look.answering; }))
        << "marked while its log was read, of " << looks.size() << " looks";
    EXPECT_TRUE(WaitForRefresh(REFRESH_OPEN_DEVICE_LOG, 1, 5000));
    EXPECT_EQ("", m_device->GetMessagesText());
    const std::vector<Look_t> whole = Watch(2500);
    looks.insert(looks.end(), whole.begin(), whole.end());
    ExpectTreeAndStateAgree(looks, "after the whole log");
    const CLogFileInXml::RecordList_t records = ReadLog();
    ASSERT_EQ(RECORDS.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i)
        RECORDS[i].ExpectIn(records[i]);
}
