#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/logfiles/CLogFileOutCsv.h"
#include "shell/ProgramFolders.h"

#include <gtest/gtest.h>

#include "tests/documents/BenchDeviceDescription.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageCollector.h"
#include "tests/support/TestPaths.h"

#include <share.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include "tests/support/ErrorText.h"

using testing_support::ErrorText;

namespace
{
std::string XmlLog(int model, int type)
{
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\n"
           "<quorvant>\n"
           "  <loggeddata version=\"1\" model=\"" + std::to_string(model) + "\" type=\"" + std::to_string(type) +
           "\" set=\"1\">\n"
           "    <record retrievalTime=\"2024-05-01T12:00:00.000+00:00\" retrievalHourmeter=\"100\" hourmeter=\"98\">\n"
           "      <variable id=\"1\" value=\"98\" />\n"
           "      <variable id=\"2\" value=\"12.5\" />\n"
           "    </record>\n"
           "    <record retrievalTime=\"2024-05-01T12:00:00.000+00:00\" retrievalHourmeter=\"100\" hourmeter=\"99\">\n"
           "      <variable id=\"1\" value=\"99\" />\n"
           "      <variable id=\"2\" value=\"12.7\" />\n"
           "    </record>\n"
           "  </loggeddata>\n"
           "</quorvant>\n";
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::vector<std::string> PopupTexts(CDocumentLogFile& document)
{
    std::vector<std::string> texts;
    for (int index = 0; index < document.GetPopupMenuEntryCount(); ++index)
    {
        CString text;
        bool enabled = false;
        bool checked = true;
        document.GetPopupMenuEntry(index, text, enabled, checked);
        EXPECT_TRUE(enabled);
        EXPECT_FALSE(checked);
        texts.push_back(static_cast<const char*>(text));
    }
    return texts;
}

class LogFileDocument : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = testing_support::BuildPath("tests/documents/logdocument-" + testing_support::ProcessTag());
        ASSERT_TRUE(testing_support::EnsureDirectory(m_folder));
        ASSERT_TRUE(testing_support::WriteFileText(m_folder + "\\devices.xml", testing_support::BENCH_DEVICE_DESCRIPTION));
        m_programFolder = GetProgramFolders().GetProgramFolder();
        GetProgramFolders().SetProgramFolder(Wide(m_folder));
        m_path = m_folder + "\\day.csv";
        DeleteFileA(m_path.c_str());
    }
    void TearDown() override
    {
        m_document.StopMonitor();
        DeleteFileA(m_path.c_str());
        GetProgramFolders().SetProgramFolder(m_programFolder);
    }
    void Write(const std::string& text) { ASSERT_TRUE(testing_support::WriteFileText(m_path, text)); }
    std::string OpenError() { return ErrorText([&] { m_document.OpenLogFile(Wide(m_path)); }); }
    size_t SampleCount(int column)
    {
        LogSampleList_t samples;
        m_document.GetPlotSamples(column, samples);
        return samples.size();
    }

    std::string m_folder;
    std::string m_path;
    std::wstring m_programFolder;
    CDocumentLogFile m_document;
};
}  // namespace

TEST_F(LogFileDocument, TheFirstLineChoosesTheReaderAndOnlyXmlOffersTheExport)
{
    EXPECT_STREQ("Log File", m_document.GetName());
    Write("\"time (UTC)\",\"Battery Voltage\"\n\"2024-05-01T12:00:00.000+00:00\",\"12.5\"\n");
    ASSERT_EQ("(no exception)", OpenError());
    EXPECT_FALSE(m_document.IsXmlFile());
    EXPECT_STREQ("day.csv", m_document.GetName());
    EXPECT_EQ(m_path, m_document.GetPath());
    EXPECT_EQ(std::vector<std::string>{"Close"}, PopupTexts(m_document));
    EXPECT_EQ(1u, SampleCount(0));

    // The same document opened again on an XML log: the reader is replaced.
    Write(XmlLog(3, 7));
    ASSERT_EQ("(no exception)", OpenError());
    EXPECT_TRUE(m_document.IsXmlFile());
    EXPECT_EQ((std::vector<std::string>{"Close", "Export to CSV file"}), PopupTexts(m_document));

    // Columns are named by the device description and keyed by variable id.
    CTreeItemList items;
    m_document.SetId(4);
    m_document.CollectPlotItems(items);
    ASSERT_EQ(2u, items.size());
    EXPECT_STREQ("Hourmeter", items[0]->GetName());
    EXPECT_STREQ("Battery Voltage", items[1]->GetName());
    EXPECT_EQ(CPlotVariableId(STORAGE_TYPE_LOG_COLUMN, 2, 4), *items[1]);
    EXPECT_EQ(LOG_SAMPLE_TYPE_NUMBER, m_document.GetPlotValueType(2));
    LogSampleList_t samples;
    m_document.GetPlotSamples(2, samples);
    ASSERT_EQ(2u, samples.size());
    EXPECT_DOUBLE_EQ(12.5, samples.front().value);
    EXPECT_DOUBLE_EQ(12.7, samples.back().value);
    EXPECT_EQ("requested plot name is out of range", ErrorText([&] { m_document.GetPlotValueType(0); }));
    EXPECT_EQ("requested plot name is out of range", ErrorText([&] { m_document.GetPlotSamples(3, samples); }));
}

TEST_F(LogFileDocument, ALogOfADeviceThatIsNotDescribedDoesNotOpen)
{
    // The log's model and type are what is wrong, not devices.xml.
    Write(XmlLog(4, 7));
    EXPECT_EQ("the log is of model 4, type 7, a device that devices.xml does not describe", OpenError());
    // A devices.xml that cannot be read is still what the text blames.
    ASSERT_TRUE(testing_support::WriteFileText(m_folder + "\\devices.xml", "<devices>"));
    Write(XmlLog(3, 7));
    EXPECT_EQ(0u, OpenError().find("Error: unable to load devices from " + m_folder + "\\devices.xml")) << OpenError();
    ASSERT_TRUE(testing_support::WriteFileText(m_folder + "\\devices.xml", testing_support::BENCH_DEVICE_DESCRIPTION));
    // Not a log at all, though it starts like XML.
    Write("<?xml version=\"1.0\" ?>\n<other />\n");
    EXPECT_EQ("file did not contain 'quorvant' element", OpenError());
}

TEST_F(LogFileDocument, OpeningFailuresGiveTheirTexts)
{
    EXPECT_EQ("No such file or directory", OpenError());

    Write("\"time (UTC)\"\n\"2024-05-01T12:00:00.000+00:00\"\n");
    EXPECT_EQ("the log file has only timestamps (no data)", OpenError());

    Write("\"time (UTC)\",\"a\"\n\"2024-05-01T12:00:00.000+00:00\",\"1\",\"2\"\n");
    EXPECT_EQ("line \"2024-05-01T12:00:00.000+00:00,1,2\" had the wrong number of columns (not the same as the header)",
              OpenError());

    Write("\"time (UTC)\",\"a\"\n");
    const HANDLE locked = CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_EQ("permission denied (are you still recording to the file?)", OpenError());
    CloseHandle(locked);
    EXPECT_EQ("(no exception)", OpenError());
}

TEST_F(LogFileDocument, FollowsACsvFileThatAWriterGrows)
{
    CDocumentManagerPtr manager(new CDocumentManager);
    testing_support::MessageCollector collector;
    manager->GetDispatcher().SetTargetWindow(collector.Window());
    CDocumentLogFilePtr document(new CDocumentLogFile);
    document->SetDocumentManager(manager.get());
    const int id = manager->AddLogFile(document);
    ASSERT_GT(id, 0);
    auto refreshes = [&] {
        size_t count = 0;
        for (const auto& message : collector.Messages(WM_APP_REFRESH_EVENT))
            count += message.wParam == static_cast<WPARAM>(REFRESH_LOG_RECORDS) && message.lParam == id;
        return count;
    };

    // An empty file opens without columns, and a pass that read nothing posts nothing.
    Write("");
    ASSERT_EQ("(no exception)", ErrorText([&] { document->OpenLogFile(Wide(m_path)); }));
    CTreeItemList items;
    document->CollectPlotItems(items);
    EXPECT_TRUE(items.empty());
    collector.PumpFor(300);
    EXPECT_EQ(0u, refreshes());

    // The writer keeps the file open, as a recording Logger does.
    CLogFileOutCsv writer;
    writer.AddColumn("Battery Voltage", CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 1, 2));
    writer.AddColumn("Charge State", CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 2, 2));
    ASSERT_TRUE(writer.Open(m_path.c_str()));
    for (const char* time : {"2024-05-01T12:00:00.000+00:00", "2024-05-01T12:00:01.000+00:00"})
    {
        writer.SetValue(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 1, 2), "12.5");
        writer.SetValue(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 2, 2), "Bulk");
        ASSERT_TRUE(writer.WriteLine(time, false));
    }
    const DWORD written = GetTickCount();
    ASSERT_TRUE(collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>&) { return refreshes() == 1; },
                                    7000));
    EXPECT_LE(collector.Messages(WM_APP_REFRESH_EVENT).back().tick - written, 6000u);
    document->CollectPlotItems(items);
    ASSERT_EQ(2u, items.size());
    EXPECT_STREQ("Charge State", items[1]->GetName());
    LogSampleList_t samples;
    document->GetPlotSamples(0, samples);
    EXPECT_EQ(2u, samples.size());
    EXPECT_EQ(LOG_SAMPLE_TYPE_TEXT, document->GetPlotValueType(1));
    EXPECT_EQ(LOG_SAMPLE_TYPE_NUMBER, document->GetPlotValueType(0));

    // One more line, then the start of another that the writer has not finished.
    writer.SetValue(CPlotVariableId(STORAGE_TYPE_SIMPLE_VALUE, 1, 2), "12.6");
    ASSERT_TRUE(writer.WriteLine("2024-05-01T12:00:02.000+00:00", false));
    writer.Close();
    FILE* appender = _fsopen(m_path.c_str(), "ab", _SH_DENYNO);
    ASSERT_NE(nullptr, appender);
    fputs("\"2024-05-01T12:00:03.000+00:00\",\"12.", appender);
    fflush(appender);
    ASSERT_TRUE(collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>&) { return refreshes() == 2; },
                                    7000));
    samples.clear();
    document->GetPlotSamples(0, samples);
    EXPECT_EQ(3u, samples.size());

    // Finished: the whole line is served in the next pass.
    fputs("7\",\"Float\"\n", appender);
    fclose(appender);
    ASSERT_TRUE(collector.WaitUntil([&](const std::vector<testing_support::CollectedMessage>&) { return refreshes() == 3; },
                                    7000));
    samples.clear();
    document->GetPlotSamples(0, samples);
    ASSERT_EQ(4u, samples.size());
    EXPECT_DOUBLE_EQ(12.7, samples.back().value);

    // Passes are 5 s apart and each posted once.
    std::vector<DWORD> ticks;
    for (const auto& message : collector.Messages(WM_APP_REFRESH_EVENT))
    {
        if (message.wParam == static_cast<WPARAM>(REFRESH_LOG_RECORDS))
            ticks.push_back(message.tick);
    }
    ASSERT_EQ(3u, ticks.size());
    EXPECT_GE(ticks[1] - ticks[0], 4000u);
    EXPECT_GE(ticks[2] - ticks[1], 4000u);

    // Stopping closes the reader: nothing holds the file any more.
    document->StopMonitor();
    EXPECT_TRUE(DeleteFileA(m_path.c_str()));
    manager->RemoveLogFile(document);
}
