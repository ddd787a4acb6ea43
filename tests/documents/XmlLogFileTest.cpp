#include <gtest/gtest.h>

#include "tests/support/FileText.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "documents/TimeHelpers.h"
#include "documents/logfiles/CLogFileInXml.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/ErrorText.h"

using testing_support::ErrorText;

namespace {

typedef CLogFileInXml::log_file_record_t Record;

Record MakeRecord(const char* retrieval, int retrievalHourmeter, int hourmeter,
                  std::vector<std::pair<int, std::string>> values, bool discontinuity = false)
{
    Record record;
    record.retrievalTime = ParseUtcTimestamp(retrieval);
    record.retrievalHourmeter = retrievalHourmeter;
    record.hourmeter = hourmeter;
    record.discontinuityBefore = discontinuity;
    for (const auto& value : values)
        record.values[value.first] = std::make_pair(value.second, atof(value.second.c_str()));
    return record;
}

CLogFileInXml::LoggedVariableNames_t VarnixNames(int type, int model)
{
    if (type != 7 || model != 3)
        throw std::runtime_error("Error: unable to load devices from devices.xml");
    return {{1, "Battery Voltage"}, {2, "Charge State"}};
}

class XmlLogFile : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string folder = testing_support::BuildPath("tests/documents/xmllog");
        ASSERT_TRUE(testing_support::EnsureDirectory(folder));
        m_path = folder + "\\log.xml";
        m_widePath.assign(m_path.begin(), m_path.end());
        DeleteFileA(m_path.c_str());
    }
    void TearDown() override { DeleteFileA(m_path.c_str()); }
    void WriteText(const std::string& text)
    {
        FILE* file = fopen(m_path.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    std::string ReadText() { return testing_support::ReadFileText(m_path); }
    std::string LoadError(const std::string& text)
    {
        WriteText(text);
        CLogFileInXml reader(VarnixNames);
        return ErrorText([&] { reader.Open(m_path.c_str()); });
    }

    std::string m_path;
    std::wstring m_widePath;
};

const char* const LOG_HEAD =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\n<quorvant>\n"
    "  <loggeddata version=\"1\" model=\"3\" type=\"7\" set=\"1\">\n";
const char* const LOG_TAIL = "  </loggeddata>\n</quorvant>\n";

}  // namespace

TEST_F(XmlLogFile, WritesTheExactFormat)
{
    CLogFileInXml writer;
    writer.SetDevice(3, 7, 1);
    writer.MergeRecords({MakeRecord("2012-03-04T05:06:07.000+00:00", 100, 90, {{2, "Float"}, {1, "13.2"}}),
                         MakeRecord("2012-03-04T05:06:07.000+00:00", 100, 99, {{1, "a<\"&b"}}, true)});
    writer.WriteFile(m_widePath.c_str());
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\r\n"
              "<quorvant>\r\n"
              "  <loggeddata version=\"1\" model=\"3\" type=\"7\" set=\"1\">\r\n"
              "    <record retrievalTime=\"2012-03-04T05:06:07.000+00:00\" retrievalHourmeter=\"100\" hourmeter=\"90\">\r\n"
              "      <variable id=\"1\" value=\"13.2\" />\r\n"
              "      <variable id=\"2\" value=\"Float\" />\r\n"
              "    </record>\r\n"
              "    <record retrievalTime=\"2012-03-04T05:06:07.000+00:00\" retrievalHourmeter=\"100\" hourmeter=\"99\" hourmeterDiscontinuityBefore=\"1\">\r\n"
              "      <variable id=\"1\" value='a&lt;&quot;&amp;b' />\r\n"
              "    </record>\r\n"
              "  </loggeddata>\r\n"
              "</quorvant>\r\n",
              ReadText());
    CLogFileInXml reader;
    reader.Open(m_widePath.c_str());
    ASSERT_EQ(2u, reader.GetRecords().size());
    EXPECT_EQ("a<\"&b", reader.GetRecords()[1].values.at(1).first);
}

TEST_F(XmlLogFile, ReadsBackWhatItWrites)
{
    CLogFileInXml writer;
    writer.SetDevice(3, 7, 1);
    writer.MergeRecords({MakeRecord("2012-03-04T12:00:00.000+00:00", 10, 8, {{1, "13.5"}, {2, "Bulk"}}),
                         MakeRecord("2012-03-04T12:00:00.000+00:00", 10, 9, {{1, "12.5V"}, {5, "3"}})});
    writer.WriteFile(m_widePath.c_str());

    CLogFileInXml reader(VarnixNames);
    reader.Open(m_widePath.c_str());
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_EQ(3, reader.GetModel());
    EXPECT_EQ(7, reader.GetType());
    EXPECT_EQ(1, reader.GetSet());
    ASSERT_EQ(2u, reader.GetRecords().size());
    EXPECT_EQ("12.5V", reader.GetRecords()[1].values.at(1).first);
    EXPECT_DOUBLE_EQ(0.0, reader.GetRecords()[1].values.at(1).second);  // not entirely a number

    ASSERT_EQ(3u, reader.GetColumns().size());
    EXPECT_EQ("Battery Voltage", reader.GetColumns().at(1).name);
    EXPECT_EQ("Charge State", reader.GetColumns().at(2).name);
    EXPECT_EQ("unknown", reader.GetColumns().at(5).name);
    EXPECT_EQ(LOG_SAMPLE_TYPE_NUMBER, reader.GetColumnValueType(5));
    EXPECT_EQ(VARTYPE(VT_NULL), reader.GetColumnValueType(3));

    LogSampleStore_t samples;
    EXPECT_TRUE(reader.ReadAndConvertRecord(samples));
    ASSERT_EQ(2u, samples[1].size());
    EXPECT_DOUBLE_EQ(13.5, samples[1].front().value);
    EXPECT_EQ("2012-03-04T10:00:00.000+00:00", FormatUtcTimestamp(samples[1].front().time));
    EXPECT_EQ("2012-03-04T11:00:00.000+00:00", FormatUtcTimestamp(samples[1].back().time));
    // A record without a value of a column is a gap in it, where the export writes an
    // empty field.
    ASSERT_EQ(2u, samples[5].size());
    EXPECT_TRUE(IsLogGap(samples[5].front().value));
    EXPECT_DOUBLE_EQ(3.0, samples[5].back().value);
    ASSERT_EQ(2u, samples[2].size());
    EXPECT_TRUE(IsLogGap(samples[2].back().value));

    // The whole file came in the first call.
    EXPECT_FALSE(reader.ReadAndConvertRecord(samples));
    EXPECT_EQ(2u, samples[1].size());

    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(2u, reader.GetRecords().size());  // records stay in memory
    EXPECT_EQ("ReadAndConvertRecord called after close",
              ErrorText([&] { reader.ReadAndConvertRecord(samples); }));
}

TEST_F(XmlLogFile, ADiscontinuityStartsANewTimeBase)
{
    WriteText(std::string(LOG_HEAD) +
              "<record retrievalTime=\"2012-03-04T12:00:00.000+00:00\" retrievalHourmeter=\"100\" hourmeter=\"98\">"
              "<variable id=\"1\" value=\"1\"/></record>"
              "<record retrievalTime=\"2012-03-05T12:00:00.000+00:00\" retrievalHourmeter=\"24\" hourmeter=\"99\">"
              "<variable id=\"1\" value=\"2\"/></record>"
              "<record retrievalTime=\"2012-03-05T12:00:00.000+00:00\" retrievalHourmeter=\"24\" hourmeter=\"20\" "
              "hourmeterDiscontinuityBefore=\"1\"><variable id=\"1\" value=\"3\"/></record>"
              "<record retrievalTime=\"2012-03-05T12:00:00.000+00:00\" retrievalHourmeter=\"24\" hourmeter=\"22\" "
              "hourmeterDiscontinuityBefore=\"0\"><variable id=\"1\" value=\"4\"/></record>" +
              LOG_TAIL);
    CLogFileInXml reader(VarnixNames);
    reader.Open(m_path.c_str());
    const auto& records = reader.GetRecords();
    ASSERT_EQ(4u, records.size());
    // Without a discontinuity the first record's retrieval is the base, whatever later ones say.
    EXPECT_EQ("2012-03-04T10:00:00.000+00:00", FormatUtcTimestamp(records[0].recordTime));
    EXPECT_EQ("2012-03-04T11:00:00.000+00:00", FormatUtcTimestamp(records[1].recordTime));
    EXPECT_TRUE(records[2].discontinuityBefore);
    EXPECT_EQ("2012-03-05T08:00:00.000+00:00", FormatUtcTimestamp(records[2].recordTime));
    EXPECT_FALSE(records[3].discontinuityBefore);
    EXPECT_EQ("2012-03-05T10:00:00.000+00:00", FormatUtcTimestamp(records[3].recordTime));
}

TEST_F(XmlLogFile, DamagedFilesGiveTheirErrors)
{
    const std::string head = LOG_HEAD;
    const std::string tail = LOG_TAIL;
    const std::string good =
        "<record retrievalTime=\"2012-03-04T12:00:00.000+00:00\" retrievalHourmeter=\"1\" hourmeter=\"1\">";
    // The parser's reason, and where it lies when it says.
    EXPECT_EQ("unable to load log file (line 1, column 12): Failed to read Element name",
              LoadError("<quorvant><loggeddata"));
    EXPECT_EQ("unable to load log file (line 3, column 5): Error reading end tag.",
              LoadError("<quorvant>\n  <loggeddata version=\"1\" model=\"3\" type=\"7\" set=\"1\">\n    </loggedata>\n</quorvant>"));
    EXPECT_EQ("unable to load log file: Error document empty.", LoadError(""));
    EXPECT_EQ("file did not contain 'quorvant' element", LoadError("<other/>"));
    EXPECT_EQ("file did not contain 'loggeddata' element", LoadError("<quorvant><data/></quorvant>"));
    const char* const names[] = {"version", "model", "type", "set"};
    for (const char* name : names) {
        std::string attributes = "version=\"1\" model=\"3\" type=\"7\" set=\"1\"";
        const size_t at = attributes.find(std::string(name) + "=\"");
        attributes.replace(at + strlen(name) + 2, 1, "x");
        EXPECT_EQ(std::string("file's 'loggeddata' element missing/bad '") + name + "' attribute",
                  LoadError("<quorvant><loggeddata " + attributes + "/></quorvant>"));
    }
    EXPECT_EQ("file's 'loggeddata' element missing/bad 'set' attribute",
              LoadError("<quorvant><loggeddata version=\"1\" model=\"3\" type=\"7\"/></quorvant>"));
    EXPECT_EQ("Error: unable to load devices from devices.xml",
              LoadError("<quorvant><loggeddata version=\"1\" model=\"4\" type=\"7\" set=\"1\"/></quorvant>"));
    EXPECT_EQ("file's 'record' element has missing/bad 'hourmeter' attribute",
              LoadError(head + "<record retrievalTime=\"2012-03-04T12:00:00.000+00:00\" retrievalHourmeter=\"1\"/>" + tail));
    EXPECT_EQ("file's 'record' element has missing/bad 'retrievalHourmeter' attribute",
              LoadError(head + "<record retrievalTime=\"2012-03-04T12:00:00.000+00:00\" hourmeter=\"1\"/>" + tail));
    EXPECT_EQ("file's 'record' element has missing/bad 'retrievalTime' attribute",
              LoadError(head + "<record retrievalHourmeter=\"1\" hourmeter=\"1\"/>" + tail));
    EXPECT_NE("(no exception)",
              LoadError(head + "<record retrievalTime=\"noon\" retrievalHourmeter=\"1\" hourmeter=\"1\"/>" + tail));
    EXPECT_EQ("file's 'variable' element has missing/bad 'id' attribute",
              LoadError(head + good + "<variable value=\"1\"/></record>" + tail));
    EXPECT_EQ("file's 'variable' element has missing/bad 'value' attribute",
              LoadError(head + good + "<variable id=\"1\"/></record>" + tail));
    EXPECT_EQ("(no exception)", LoadError(head + good + "<variable id=\"1\" value=\"\"/></record>" + tail));

    CLogFileInXml reader;
    EXPECT_EQ("unable to load log file", ErrorText([&] { reader.Open(L"Z:\\no\\such\\log.xml"); }));
}

TEST_F(XmlLogFile, WritingToAFolderThatDoesNotExistFails)
{
    CLogFileInXml writer;
    EXPECT_EQ("unable to write to logfile \"Z:\\no\\such\\folder\\log.xml\"",
              ErrorText([&] { writer.WriteFile(L"Z:\\no\\such\\folder\\log.xml"); }));
}

TEST(XmlLogRecord, OrderIsAStrictWeakOrder)
{
    const std::vector<Record> records = {
        MakeRecord("2012-03-04T12:00:00.000+00:00", 1, 5, {{1, "a"}}),
        MakeRecord("2012-03-04T12:00:00.000+00:00", 1, 5, {{1, "a"}, {2, "y"}}),
        MakeRecord("2012-03-04T12:00:00.000+00:00", 1, 5, {{1, "a"}, {2, "z"}}),
        MakeRecord("2012-03-04T12:00:00.000+00:00", 1, 5, {{1, "b"}}),
        MakeRecord("2012-03-04T12:00:00.000+00:00", 1, 5, {{2, "a"}}),
        MakeRecord("2012-03-04T12:00:00.000+00:00", 1, 5, {}),
        MakeRecord("2012-03-04T12:00:00.000+00:00", 1, 4, {{9, "z"}}),
        MakeRecord("2012-03-05T12:00:00.000+00:00", 7, 5, {{1, "a"}}),  // retrieval is not compared
    };
    const auto equivalent = [](const Record& a, const Record& b) { return !(a < b) && !(b < a); };
    for (const Record& a : records) {
        EXPECT_FALSE(a < a);
        for (const Record& b : records) {
            EXPECT_FALSE(a < b && b < a);
            for (const Record& c : records) {
                if (a < b && b < c) {
                    EXPECT_TRUE(a < c);
                }
                if (equivalent(a, b) && equivalent(b, c)) {
                    EXPECT_TRUE(equivalent(a, c));
                }
            }
        }
    }
    EXPECT_TRUE(records[6] < records[0]);   // hour meter first
    EXPECT_TRUE(records[0] < records[3]);   // then text
    EXPECT_TRUE(records[3] < records[4]);   // id before text
    EXPECT_FALSE(records[0] < records[1]);  // first runs out: not the smaller
    EXPECT_TRUE(equivalent(records[0], records[7]));
}

TEST(XmlLogRecord, MergeKeepsEveryRecordOnceInAnyInputOrder)
{
    std::vector<Record> all;
    for (int hour = 0; hour < 12; ++hour)
        all.push_back(MakeRecord("2012-03-04T12:00:00.000+00:00", 20, hour / 2,
                                 {{1, std::to_string(hour)}, {2, hour % 3 ? "x" : "y"}}));
    std::vector<Record> expected = all;
    std::sort(expected.begin(), expected.end());

    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::vector<Record> shuffled = all;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(seed));
        CLogFileInXml log;
        // Old file: the first eight; new download: the last eight (four downloaded again).
        log.MergeRecords(CLogFileInXml::RecordList_t(shuffled.begin(), shuffled.begin() + 8));
        log.MergeRecords(CLogFileInXml::RecordList_t(shuffled.begin() + 4, shuffled.end()));
        ASSERT_EQ(expected.size(), log.GetRecords().size()) << "seed " << seed;
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(expected[i].values, log.GetRecords()[i].values) << "seed " << seed;
    }
}

TEST(XmlLogRecord, ResetForgetsDeviceAndRecords)
{
    CLogFileInXml log;
    log.SetDevice(3, 7, 1);
    log.MergeRecords({MakeRecord("2012-03-04T12:00:00.000+00:00", 1, 1, {{1, "1"}})});
    log.ResetRecords();
    EXPECT_EQ(-1, log.GetModel());
    EXPECT_EQ(-1, log.GetType());
    EXPECT_EQ(-1, log.GetSet());
    EXPECT_TRUE(log.GetRecords().empty());
    EXPECT_FALSE(log.IsOpen());
}

TEST_F(XmlLogFile, ExportsToCsvWithEmptyFieldsForMissingValues)
{
    WriteText(std::string(LOG_HEAD) +
              "<record retrievalTime=\"2012-03-04T12:00:00.000+00:00\" retrievalHourmeter=\"10\" hourmeter=\"8\">"
              "<variable id=\"2\" value=\"Bulk &quot;1&quot;\"/><variable id=\"1\" value=\"13.5\"/></record>"
              "<record retrievalTime=\"2012-03-04T12:00:00.000+00:00\" retrievalHourmeter=\"10\" hourmeter=\"9\">"
              "<variable id=\"9\" value=\"x\\y\"/></record>" +
              LOG_TAIL);
    CLogFileInXml reader(VarnixNames);
    reader.Open(m_path.c_str());
    const std::string csvPath = m_path + ".csv";
    EXPECT_EQ(2, reader.ExportCsv(csvPath.c_str()));

    FILE* file = fopen(csvPath.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    char buffer[1024] = {};
    const size_t size = fread(buffer, 1, sizeof(buffer) - 1, file);
    fclose(file);
    DeleteFileA(csvPath.c_str());
    EXPECT_EQ("\"time (UTC)\",\"Battery Voltage\",\"Charge State\",\"unknown\"\r\n"
              "\"2012-03-04T10:00:00.000+00:00\",\"13.5\",\"Bulk \\\"1\\\"\",\"\"\r\n"
              "\"2012-03-04T11:00:00.000+00:00\",\"\",\"\",\"x\\\\y\"\r\n",
              std::string(buffer, size));
}

TEST_F(XmlLogFile, FailedExportsAreShownAndGiveMinusOne)
{
    testing_support::MessageBoxRecorder& recorder = testing_support::MessageBoxRecorder::Instance();
    CLogFileInXml reader(VarnixNames);
    reader.SetDevice(3, 7, 1);
    recorder.Clear();
    EXPECT_EQ(-1, reader.ExportCsv("Z:\\no\\such\\folder\\log.csv"));
    std::vector<testing_support::RecordedMessageBox> boxes = recorder.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Unable to open the specified file for writing.", boxes[0].text);
    EXPECT_EQ(UINT(MB_ICONSTOP), boxes[0].type & MB_ICONMASK);

    // A device that the description does not know.
    reader.SetDevice(4, 7, 1);
    recorder.Clear();
    EXPECT_EQ(-1, reader.ExportCsv((m_path + ".csv").c_str()));
    boxes = recorder.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Error: unable to load devices from devices.xml", boxes[0].text);
}
