// Damaged device logs opened the way File > Open Log File opens them, through the main
// frame into the Log Files tree, with the program's own devices.xml: every cut of a small
// XML and a small CSV log and seeded damage to them. Each file is adopted with a tree of
// its variables, or refused with one text that names the file and says what is wrong.
#include <gtest/gtest.h>

#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CPlotVariableId.h"
#include "documents/TimeHelpers.h"
#include "documents/logfiles/CLogFileInXml.h"
#include "shell/CMainFrame.h"
#include "shell/CTabLogFileView.h"
#include "shell/CVarnixViewApp.h"
#include "shell/ProgramFolders.h"
#include "tests/shell_ui/ShellFrame.h"
#include "tests/support/FileMutator.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/TestPaths.h"

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
const int SEEDED_CASES = 300;
// The Varnix of devices.xml and three of its logged variables.
const int VARNIX_MODEL = 10;
const int VARNIX_TYPE = 2;
const int LOGGED_IDS[] = {100, 103, 109};

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

struct Figures
{
    int tried = 0;
    int adopted = 0;
    int refused = 0;
};

class DamagedLogFiles : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = testing_support::BuildPath("tests/shell_ui/damaged-logs-" + testing_support::ProcessTag());
        ASSERT_TRUE(testing_support::EnsureDirectory(m_folder));
        ASSERT_TRUE(m_shell.Open(testing_support::SourcePath("res")));
        m_frame = m_shell.frame;
        m_manager = m_shell.manager;
    }

    void TearDown() override
    {
        m_shell.Close();
        for (const char* name : {"\\case.xml", "\\case.csv", "\\valid.xml"})
            ::DeleteFileA((m_folder + name).c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }

    // A Varnix log of three downloads as the program writes it.
    std::string SmallXmlLog()
    {
        CLogFileInXml log;
        log.SetDevice(VARNIX_MODEL, VARNIX_TYPE, 1);
        CLogFileInXml::RecordList_t records;
        for (int day = 0; day < 3; ++day) {
            CLogFileInXml::log_file_record_t record;
            record.retrievalTime = ParseUtcTimestamp("2024-05-03T08:30:00.000+00:00");
            record.retrievalHourmeter = 80;
            record.hourmeter = 30 + 24 * day;
            record.discontinuityBefore = day == 2;
            record.values[LOGGED_IDS[0]] = std::make_pair(std::to_string(record.hourmeter), record.hourmeter);
            record.values[LOGGED_IDS[1]] = std::make_pair("13.2" + std::to_string(day), 13.2);
            record.values[LOGGED_IDS[2]] = std::make_pair(day == 2 ? "Hourmeter reset" : "None", 0.0);
            records.push_back(record);
        }
        log.MergeRecords(records);
        const std::string path = m_folder + "\\valid.xml";
        log.WriteFile(Widen(path).c_str());
        return testing_support::ReadFileText(path);
    }

    // A Logger display's file of four rows.
    static std::string SmallCsvLog()
    {
        std::string text = "\"time (UTC)\",\"Battery Voltage\",\"Charge State\"\n";
        for (int second = 0; second < 4; ++second)
            text += "\"2024-05-01T12:00:0" + std::to_string(second) + ".000+00:00\",\"12." + std::to_string(second) +
                    "\",\"" + (second % 2 ? "Float" : "Bulk") + "\"\n";
        return text;
    }

    std::vector<CDocumentLogFilePtr> OpenLogFiles()
    {
        CTreeItemList nodes;
        m_manager->GetLogFileTreeItems(nodes);
        std::vector<CDocumentLogFilePtr> open;
        for (const CTreeItemPtr& node : nodes) {
            if (CDocumentLogFilePtr logFile = m_manager->FindLogFileById(node->GetDocumentId()))
                open.push_back(logFile);
        }
        return open;
    }

    // Opens the bytes as File > Open Log File does. Adopted: the tree holds the file's node
    // with a variable for each of its columns, and closing it empties the tree. Refused:
    // one text names the file and gives a reason, and nothing is left open.
    bool OpenCase(const std::string& path, const std::string& bytes, const std::string& label, std::string* refusal = nullptr)
    {
        if (!testing_support::WriteFileText(path, bytes)) {
            ADD_FAILURE() << label << ": unable to write the case";
            return false;
        }
        CTabLogFileView* tree = m_frame->GetLogFileTree();
        CTreeCtrl& control = tree->GetTreeCtrl();
        try {
            m_frame->OpenLogFile(Widen(path), -1);
        } catch (const std::runtime_error& error) {
            const std::string text = error.what();
            const std::string head = "unable to open log file \"" + path + "\": ";
            EXPECT_EQ(0u, text.find(head)) << label << ": " << text;
            const std::string reason = text.size() > head.size() ? text.substr(head.size()) : "";
            EXPECT_FALSE(reason.empty()) << label;
            // The parser's refusals say what is wrong, not only that the file was not loaded.
            EXPECT_NE("unable to load log file", reason) << label;
            EXPECT_EQ(std::string::npos, reason.find("unable to load devices from")) << label << ": " << text;
            EXPECT_TRUE(OpenLogFiles().empty()) << label;
            EXPECT_EQ(nullptr, control.GetRootItem()) << label;
            if (refusal != nullptr)
                *refusal = reason;
            return false;
        }
        const std::vector<CDocumentLogFilePtr> open = OpenLogFiles();
        if (open.size() != 1u) {
            ADD_FAILURE() << label << ": " << open.size() << " log files open";
            return true;
        }
        CTreeItemList columns;
        open.front()->CollectPlotItems(columns);
        HTREEITEM node = control.GetRootItem();
        EXPECT_NE(nullptr, node) << label;
        EXPECT_EQ(nullptr, node == nullptr ? nullptr : control.GetNextSiblingItem(node)) << label;
        size_t variables = 0;
        for (HTREEITEM item = node == nullptr ? nullptr : control.GetChildItem(node); item != nullptr && variables < 1000;
             item = control.GetNextSiblingItem(item), ++variables) {
            const CTreeItem* data = tree->GetItemData(item);
            EXPECT_TRUE(data != nullptr && data->GetVariableId() != PLOT_ID_NONE) << label;
            EXPECT_EQ(nullptr, control.GetChildItem(item)) << label << ": a variable with items below it";
        }
        EXPECT_EQ(columns.size(), variables) << label;
        m_frame->CloseLogFile(open.front()->GetId());
        EXPECT_TRUE(OpenLogFiles().empty()) << label;
        EXPECT_EQ(nullptr, control.GetRootItem()) << label;
        return true;
    }

    // Every cut of the valid file, then seeded damage to it.
    Figures RunCases(const std::string& valid, const std::string& path, unsigned seed)
    {
        Figures figures;
        EXPECT_TRUE(OpenCase(path, valid, "valid"));
        testing_support::FileMutator mutator(seed);
        const size_t cuts = valid.size();
        for (size_t index = 0; index < cuts + SEEDED_CASES; ++index) {
            const bool cut = index < cuts;
            const std::string bytes = cut ? valid.substr(0, index) : mutator.Mutate(valid);
            const std::string label = cut ? "cut at " + std::to_string(index)
                                          : "seed " + std::to_string(seed) + " case " + std::to_string(index - cuts);
            ++figures.tried;
            ++(OpenCase(path, bytes, label) ? figures.adopted : figures.refused);
            // The first case that fails says enough; the rest would repeat it.
            if (HasFailure())
                break;
        }
        // Nothing shows a box of its own: the command shows the one text.
        EXPECT_EQ(0u, testing_support::MessageBoxRecorder::Instance().Count());
        return figures;
    }

    static void Report(const char* format, const Figures& figures)
    {
        std::printf("[ figures  ] %s through File > Open Log File: %d files tried, %d adopted, %d refused\n", format,
                    figures.tried, figures.adopted, figures.refused);
    }

    shell_test::ShellFrame m_shell;
    CMainFrame* m_frame = nullptr;
    CDocumentManager* m_manager = nullptr;
    std::string m_folder;
};
}  // namespace

TEST_F(DamagedLogFiles, XmlLogsAreAdoptedWithTheirVariablesOrRefusedSayingWhy)
{
    const std::string valid = SmallXmlLog();
    ASSERT_GT(valid.size(), 300u);
    const std::string path = m_folder + "\\case.xml";

    // A variable id that stands for no variable: its column would be taken for the log's
    // own node, which holds the same column again, without end.
    std::string noVariable = valid;
    const std::string id = "id=\"" + std::to_string(LOGGED_IDS[1]) + "\"";
    noVariable.replace(noVariable.find(id, noVariable.find("<record", noVariable.find("<record") + 1)), id.size(),
                       "id=\"-1\"");
    std::string refusal;
    EXPECT_FALSE(OpenCase(path, noVariable, "id -1", &refusal));
    EXPECT_EQ("file's record 2 (line 9) has a 'variable' element of id -1, which no variable can have", refusal);

    // A log of a device that devices.xml does not describe names the log's model and type.
    std::string unknown = valid;
    const std::string model = "model=\"" + std::to_string(VARNIX_MODEL) + "\"";
    unknown.replace(unknown.find(model), model.size(), "model=\"99\"");
    EXPECT_FALSE(OpenCase(path, unknown, "unknown model", &refusal));
    EXPECT_EQ("the log is of model 99, type 2, a device that devices.xml does not describe", refusal);

    // A cut file names the parser's reason and where it stopped.
    EXPECT_FALSE(OpenCase(path, valid.substr(0, valid.find("</loggeddata>")), "cut before the end", &refusal));
    EXPECT_EQ("unable to load log file (line 19, column 3): Error reading end tag.", refusal);

    const Figures figures = RunCases(valid, path, 20250111);
    Report("XML", figures);
    EXPECT_GT(figures.adopted, 0);
    EXPECT_GT(figures.refused, 0);
}

TEST_F(DamagedLogFiles, CsvLogsAreAdoptedWithTheirVariablesOrRefusedSayingWhy)
{
    const Figures figures = RunCases(SmallCsvLog(), m_folder + "\\case.csv", 20250112);
    Report("CSV", figures);
    EXPECT_GT(figures.adopted, 0);
    EXPECT_GT(figures.refused, 0);
}
