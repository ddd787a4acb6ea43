#include <gtest/gtest.h>

#include "tests/support/FileText.h"

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

#include "documents/TextHelpers.h"
#include "documents/TimeHelpers.h"
#include "documents/logfiles/CLogFileInCsv.h"
#include "documents/logfiles/CLogFileOutCsv.h"
#include "tests/support/TestPaths.h"
#include "tests/support/ErrorText.h"

using testing_support::ErrorText;

namespace {

class CsvLogFile : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string folder = testing_support::BuildPath("tests/documents/csvlog");
        ASSERT_TRUE(testing_support::EnsureDirectory(folder));
        m_path = folder + "\\log.csv";
        DeleteFileA(m_path.c_str());
    }
    void TearDown() override
    {
        m_reader.Close();
        DeleteFileA(m_path.c_str());
    }
    void Append(const std::string& bytes)
    {
        FILE* file = fopen(m_path.c_str(), "ab");
        ASSERT_NE(nullptr, file);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    int ReadAll(LogSampleStore_t& samples)
    {
        int lines = 0;
        while (lines < 1000 && m_reader.ReadAndConvertRecord(samples))
            ++lines;
        return lines;
    }

    std::string m_path;
    CLogFileInCsv m_reader;
};

const char* const HEADER = "\"time (UTC)\",\"Battery Voltage\",\"Charge State\"\r\n";

}  // namespace

TEST(CsvSplit, QuotesAndEscapes)
{
    EXPECT_TRUE(SplitCsvLine("").empty());
    EXPECT_EQ((std::vector<std::string>{"a", "b", ""}), SplitCsvLine("a,b,"));
    EXPECT_EQ((std::vector<std::string>{"1,5", "x"}), SplitCsvLine("\"1,5\",\"x\""));
    EXPECT_EQ((std::vector<std::string>{"say \"hi\""}), SplitCsvLine("\"say \\\"hi\\\"\""));
    EXPECT_EQ((std::vector<std::string>{"C:\\logs", "z"}), SplitCsvLine("\"C:\\\\logs\",z"));
    EXPECT_EQ((std::vector<std::string>{"end"}), SplitCsvLine("end\\"));
    EXPECT_EQ((std::vector<std::string>{"a;b", "c"}), SplitCsvLine("'a;b';c", ';', '\''));
}

TEST(CsvSplit, EscapedFieldsComeBackUnchanged)
{
    const std::string tricky[] = {"plain", "quote \" inside", "back\\slash", "\\\"", "comma, too", ""};
    std::string line;
    for (const std::string& field : tricky)
        line += (line.empty() ? "\"" : ",\"") + EscapeQuotes(field) + "\"";
    const std::vector<std::string> fields = SplitCsvLine(line);
    ASSERT_EQ(6u, fields.size());
    for (size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(tricky[i], fields[i]);
}

TEST_F(CsvLogFile, ReadsHeaderAndRowsWithTimesAndValues)
{
    Append(HEADER);
    Append("\"2012-03-04T05:06:07.000+00:00\",\"13.25\",\"Float\"\r\n"
           "\"2012-03-04T05:06:17.000+00:00\",\"-1e3\",\"7\"\r\n");
    m_reader.Open(m_path.c_str());
    EXPECT_TRUE(m_reader.IsOpen());
    LogSampleStore_t samples;
    EXPECT_EQ(2, ReadAll(samples));

    ASSERT_EQ(2u, m_reader.GetColumns().size());
    EXPECT_EQ("Battery Voltage", m_reader.GetColumns().at(0).name);
    EXPECT_EQ("Charge State", m_reader.GetColumns().at(1).name);
    EXPECT_EQ(LOG_SAMPLE_TYPE_NUMBER, m_reader.GetColumnValueType(0));
    EXPECT_EQ(LOG_SAMPLE_TYPE_TEXT, m_reader.GetColumnValueType(1));
    EXPECT_EQ(VARTYPE(VT_NULL), m_reader.GetColumnValueType(2));
    EXPECT_FALSE(m_reader.HasColumn(-1));

    ASSERT_EQ(2u, samples[0].size());
    ASSERT_EQ(2u, samples[1].size());
    EXPECT_DOUBLE_EQ(13.25, samples[0].front().value);
    EXPECT_DOUBLE_EQ(-1000.0, samples[0].back().value);
    EXPECT_DOUBLE_EQ(0.0, samples[1].front().value);  // "Float" is text
    EXPECT_DOUBLE_EQ(7.0, samples[1].back().value);
    EXPECT_EQ("2012-03-04T05:06:07.000+00:00", FormatUtcTimestamp(samples[0].front().time));
    EXPECT_EQ("2012-03-04T05:06:17.000+00:00", FormatUtcTimestamp(samples[1].back().time));

    // Nothing new: nothing added.
    EXPECT_FALSE(m_reader.ReadAndConvertRecord(samples));
    EXPECT_EQ(2u, samples[0].size());

    m_reader.Close();
    EXPECT_FALSE(m_reader.IsOpen());
    EXPECT_FALSE(m_reader.ReadAndConvertRecord(samples));
}

TEST_F(CsvLogFile, FollowsAFileThatIsStillBeingWritten)
{
    Append("");
    m_reader.Open(m_path.c_str());
    LogSampleStore_t samples;
    EXPECT_EQ(0, ReadAll(samples));
    EXPECT_TRUE(m_reader.GetColumns().empty());

    Append("\"time (UTC)\",\"Volt");  // header not finished yet
    EXPECT_EQ(0, ReadAll(samples));
    EXPECT_TRUE(m_reader.GetColumns().empty());
    Append("s\"\n");
    EXPECT_EQ(0, ReadAll(samples));
    ASSERT_TRUE(m_reader.HasColumn(0));
    EXPECT_EQ("Volts", m_reader.GetColumns().at(0).name);

    Append("\"2012-03-04T05:06:07.000+00:00\",\"12");
    EXPECT_EQ(0, ReadAll(samples));
    EXPECT_TRUE(samples[0].empty());
    Append(".5\"\n\"2012-03-04T05:06:08.000+00:00\",\"13\"\n");
    EXPECT_EQ(2, ReadAll(samples));
    ASSERT_EQ(2u, samples[0].size());
    EXPECT_DOUBLE_EQ(12.5, samples[0].front().value);  // the unfinished line was read whole
    EXPECT_DOUBLE_EQ(13.0, samples[0].back().value);
}

TEST_F(CsvLogFile, ReadsLinesWiderThanAnyBuffer)
{
    std::string header = "\"time (UTC)\"";
    std::string row = "\"2012-03-04T05:06:07.000+00:00\"";
    const int columns = 900;
    for (int c = 0; c < columns; ++c) {
        header += ",\"Column number " + std::to_string(c) + "\"";
        row += ",\"" + std::to_string(c) + ".5\"";
    }
    ASSERT_GT(row.size(), 3 * 2048u);
    Append(header + "\r\n" + row + "\r\n");
    m_reader.Open(m_path.c_str());
    LogSampleStore_t samples;
    EXPECT_EQ(1, ReadAll(samples));
    ASSERT_EQ(size_t(columns), m_reader.GetColumns().size());
    EXPECT_EQ("Column number 899", m_reader.GetColumns().at(899).name);
    ASSERT_EQ(1u, samples[899].size());
    EXPECT_DOUBLE_EQ(899.5, samples[899].front().value);
}

TEST_F(CsvLogFile, DamagedFilesGiveTheirErrors)
{
    LogSampleStore_t samples;
    const auto readAfter = [&](const std::string& content) {
        m_reader.Close();
        DeleteFileA(m_path.c_str());
        Append(content);
        m_reader.Open(m_path.c_str());
        return ErrorText([&] { ReadAll(samples); });
    };
    EXPECT_EQ("the log file has only timestamps (no data)", readAfter("\"time (UTC)\"\n"));
    EXPECT_EQ("the log file has only timestamps (no data)", readAfter("\n"));
    EXPECT_EQ("log file line had no data fields", readAfter(std::string(HEADER) + "\n"));
    EXPECT_EQ("line \"2012-03-04T05:06:07.000+00:00,1,2,3\" had the wrong number of columns "
              "(not the same as the header)",
              readAfter(std::string(HEADER) + "\"2012-03-04T05:06:07.000+00:00\",\"1\",\"2\",\"3\"\n"));
    EXPECT_EQ("line \"2012-03-04T05:06:07.000+00:00,1\" had the wrong number of columns "
              "(not the same as the header)",
              readAfter(std::string(HEADER) + "\"2012-03-04T05:06:07.000+00:00\",\"1\"\n"));
    EXPECT_NE("(no exception)", readAfter(std::string(HEADER) + "\"yesterday\",\"1\",\"2\"\n"));

    m_reader.Close();
    EXPECT_EQ("unable to open log file",
              ErrorText([&] { m_reader.Open((m_path + ".missing").c_str()); }));
    EXPECT_EQ("unable to open log file",
              ErrorText([&] { m_reader.Open(L"Z:\\no\\such\\folder\\log.csv"); }));
}

TEST_F(CsvLogFile, OpensAFileThatAWriterHoldsOpen)
{
    HANDLE writer = CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    const std::string text = std::string(HEADER) + "\"2012-03-04T05:06:07.000+00:00\",\"1\",\"2\"\r\n";
    DWORD written = 0;
    WriteFile(writer, text.data(), DWORD(text.size()), &written, nullptr);
    m_reader.Open(std::wstring(m_path.begin(), m_path.end()).c_str());
    LogSampleStore_t samples;
    EXPECT_EQ(1, ReadAll(samples));
    CloseHandle(writer);
    EXPECT_EQ(1u, samples[1].size());
}

namespace {

class CsvLogWriter : public CsvLogFile
{
protected:
    std::string ReadText() { return testing_support::ReadFileText(m_path); }

    const CPlotVariableId m_volts{0x10002, 1, 1};
    const CPlotVariableId m_state{0x10002, 2, 1};
};

}  // namespace

TEST_F(CsvLogWriter, WritesTheExactFormat)
{
    CLogFileOutCsv writer;
    EXPECT_TRUE(writer.AddColumn("Battery Voltage", m_volts));
    EXPECT_TRUE(writer.AddColumn("Say \"hi\" \\ bye", m_state));
    EXPECT_FALSE(writer.AddColumn("Again", m_volts));
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.WriteLine("2012-03-04T05:06:07.000+00:00", true));

    ASSERT_TRUE(writer.Open(m_path.c_str()));
    EXPECT_TRUE(writer.IsOpen());
    EXPECT_FALSE(writer.Open(m_path.c_str()));
    EXPECT_TRUE(writer.SetValue(m_volts, "13.25"));
    EXPECT_FALSE(writer.SetValue(CPlotVariableId(0x10002, 3, 1), "1"));
    // Not every value set: nothing written without the partial flag.
    EXPECT_FALSE(writer.WriteLine("2012-03-04T05:06:07.000+00:00", false));
    EXPECT_TRUE(writer.WriteLine("2012-03-04T05:06:07.000+00:00", true));
    EXPECT_TRUE(writer.SetValue(m_state, "C:\\ \"Float\""));
    EXPECT_TRUE(writer.WriteLine("2012-03-04T05:06:08.000+00:00", false));
    writer.ClearValues();
    EXPECT_FALSE(writer.WriteLine("2012-03-04T05:06:09.000+00:00", false));
    const std::string expected =
        "\"time (UTC)\",\"Battery Voltage\",\"Say \\\"hi\\\" \\\\ bye\"\r\n"
        "\"2012-03-04T05:06:07.000+00:00\",\"13.25\",\"\"\r\n"
        "\"2012-03-04T05:06:08.000+00:00\",\"13.25\",\"C:\\\\ \\\"Float\\\"\"\r\n";
    EXPECT_EQ(expected.size(), writer.GetFileSize());
    writer.Close();
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(0u, writer.GetFileSize());
    EXPECT_EQ(expected, ReadText());

    // What was written reads back unchanged, quotes and backslashes included.
    m_reader.Open(m_path.c_str());
    LogSampleStore_t samples;
    EXPECT_EQ(2, ReadAll(samples));
    EXPECT_EQ("Say \"hi\" \\ bye", m_reader.GetColumns().at(1).name);
    EXPECT_DOUBLE_EQ(13.25, samples[0].back().value);
}

TEST_F(CsvLogWriter, OpenRefusesEmptyPathsAndMissingFolders)
{
    CLogFileOutCsv writer;
    EXPECT_FALSE(writer.Open(nullptr));
    EXPECT_FALSE(writer.Open(""));
    EXPECT_FALSE(writer.Open("Z:\\no\\such\\folder\\log.csv"));
    EXPECT_FALSE(writer.IsOpen());
}

TEST_F(CsvLogWriter, WithoutATimeTheLineTakesTheCurrentTime)
{
    CLogFileOutCsv writer;
    writer.AddColumn("Volts", m_volts);
    ASSERT_TRUE(writer.Open(m_path.c_str()));
    const COleDateTime before = ParseUtcTimestamp(FormatUtcNow());
    writer.SetValue(m_volts, "1");
    EXPECT_TRUE(writer.WriteLine(nullptr, false));
    // A reader follows the file while the writer still holds it.
    m_reader.Open(m_path.c_str());
    LogSampleStore_t samples;
    EXPECT_EQ(1, ReadAll(samples));
    ASSERT_EQ(1u, samples[0].size());
    const double secondsAfter = (DATE(samples[0].front().time) - DATE(before)) * 86400.0;
    EXPECT_GE(secondsAfter, -0.001);
    EXPECT_LT(secondsAfter, 60.0);
    writer.SetValue(m_volts, "2");
    EXPECT_TRUE(writer.WriteLine(nullptr, false));
    EXPECT_EQ(1, ReadAll(samples));
}

TEST_F(CsvLogFile, LinesAcrossReadBlocksAndDatesChangingFromLineToLine)
{
    // Several megabytes of rows: lines end in every place of the reader's blocks, one note
    // is wider than a block, and the date changes every 24 rows, through 30 and 31 February
    // (no days), and back to dates seen before.
    std::string text = HEADER;
    std::vector<std::string> stamps;
    const size_t wideRow = 5000;
    char stamp[40];
    for (size_t row = 0; text.size() < 3500000; ++row) {
        std::snprintf(stamp, sizeof stamp, "2024-02-%02zuT%02zu:%02zu:%02zu.%03zu+00:00", 27 + row / 24 % 5,
                      row % 24, row / 7 % 60, row % 60, row * 7 % 1000);
        stamps.push_back(stamp);
        const std::string note = row == wideRow ? std::string(1500000, 'x') : "n" + std::to_string(row);
        text += "\"" + stamps.back() + "\",\"" + std::to_string(row) + ".25\",\"" + note + (row % 2 ? "\"\n" : "\"\r\n");
    }
    const size_t nulAt = text.find("\"" + std::to_string(stamps.size() - 100) + ".25\"");
    Append(text);
    m_reader.Open(m_path.c_str());
    LogSampleStore_t samples;
    int lines = 0;
    while (lines < 200000 && m_reader.ReadAndConvertRecord(samples))
        ++lines;
    ASSERT_EQ(stamps.size(), size_t(lines));
    EXPECT_EQ(LOG_SAMPLE_TYPE_NUMBER, m_reader.GetColumnValueType(0));
    EXPECT_EQ(LOG_SAMPLE_TYPE_TEXT, m_reader.GetColumnValueType(1));
    ASSERT_EQ(stamps.size(), samples[0].size());
    size_t row = 0;
    int invalid = 0;
    for (const LogSample_t& sample : samples[0]) {
        ASSERT_EQ(row + 0.25, sample.value);
        const COleDateTime expected = ParseUtcTimestamp(stamps[row]);
        ASSERT_EQ(expected.GetStatus(), sample.time.GetStatus()) << stamps[row];
        if (expected.GetStatus() == COleDateTime::valid) {
            ASSERT_EQ(DATE(expected), DATE(sample.time)) << stamps[row];
        } else {
            ++invalid;
        }
        ++row;
    }
    EXPECT_GT(invalid, 0);
    EXPECT_LT(size_t(invalid), stamps.size() / 2);

    // A NUL megabytes in is refused when its line comes, after every line before it.
    m_reader.Close();
    DeleteFileA(m_path.c_str());
    text.insert(nulAt, 1, '\0');
    Append(text);
    m_reader.Open(m_path.c_str());
    samples.clear();
    EXPECT_EQ("log file line contains a NUL character", ErrorText([&] {
                  while (m_reader.ReadAndConvertRecord(samples))
                      ;
              }));
    EXPECT_EQ(stamps.size() - 100, samples[0].size());
}
