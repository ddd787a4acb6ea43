// Damaged workspaces opened as File > Open Workspace opens them, through the application
// object with its main frame and display templates: every cut of a small workspace and
// seeded mutations of one with devices on both kinds of link and the three displays. Each
// file is adopted without a box, or refused with one box of the known texts that names the
// file; and every adopted workspace is saved and opens again without a word, so that
// nothing the program holds is saved into a file it refuses.
#include <gtest/gtest.h>

#include "displays/CDocumentDisplay.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/GenericDevices.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CDocTemplate.h"
#include "tests/shell_ui/ShellFrame.h"
#include "tests/support/FileText.h"
#include "tests/support/ErrorText.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace
{
typedef std::string Bytes;

const int MUTATED_CASES = 250;
// Under Wine with the heap checks a load takes some tens of milliseconds; a case that
// takes this long is caught in something.
const DWORD CASE_LIMIT_MS = 10000;

testing_support::MessageBoxRecorder& Recorder()
{
    return testing_support::MessageBoxRecorder::Instance();
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

using testing_support::MatchesPattern;

// The damage a saved file meets: flipped bits, bytes changed, cut, lost or stray, a
// stretch repeated, and numbers put where numbers stand (counts, ids, ports, versions).
class ByteMutator
{
public:
    explicit ByteMutator(unsigned seed) : m_random(seed) {}

    Bytes Mutate(Bytes bytes)
    {
        const int edits = 1 + static_cast<int>(m_random() % 3);
        for (int edit = 0; edit < edits && !bytes.empty(); ++edit)
            MutateOnce(bytes);
        return bytes;
    }

private:
    size_t Below(size_t limit) { return limit == 0 ? 0 : m_random() % limit; }

    void MutateOnce(Bytes& bytes)
    {
        const size_t at = Below(bytes.size());
        switch (m_random() % 8)
        {
        case 0: bytes[at] = static_cast<char>(bytes[at] ^ (1 << Below(8))); break;
        case 1: bytes[at] = static_cast<char>(m_random()); break;
        case 2: bytes.resize(at); break;
        case 3: bytes.erase(at, 1 + Below(16)); break;
        case 4: bytes.insert(at, 1 + Below(8), static_cast<char>(m_random())); break;
        case 5: {
            const size_t length = std::min<size_t>(1 + Below(64), bytes.size() - at);
            bytes.insert(at, bytes.substr(at, length));
            break;
        }
        default: {
            static const int numbers[] = {0, -1, 1, 2, 3, 247, 248, 255, 256, 502, 65535, 65536, 0x7FFFFFFF,
                                          static_cast<int>(0x80000000), 8388609, 4096, 4097};
            const int number = numbers[Below(sizeof numbers / sizeof numbers[0])];
            const Bytes stored(reinterpret_cast<const char*>(&number), 4);
            bytes.replace(at, std::min<size_t>(4, bytes.size() - at), stored);
            break;
        }
        }
    }

    std::mt19937 m_random;
};

class WorkspaceMutation : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = testing_support::BuildPath("tests/shell_ui/workspace-mutation-" + testing_support::ProcessTag());
        ASSERT_TRUE(testing_support::EnsureDirectory(m_folder));
        // Every generic device read reads devices.xml: the program's own, with only the
        // devices of these workspaces, so that a case takes less time.
        ASSERT_TRUE(testing_support::WriteFileText(PathOf("devices.xml"), ProgramDevicesOf({"10", "20", "21", "30"})));
        ASSERT_TRUE(m_shell.Open(m_folder));
        m_manager = m_shell.manager;
    }

    void TearDown() override
    {
        m_shell.Close();
        for (const char* name :
             {"seed.pxs", "small.pxs", "case-a.pxs", "case-b.pxs", "saved.pxs", "VNX-MPPT-MUT0001.csv", "devices.xml"})
            ::DeleteFileA((m_folder + "\\" + name).c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }

    void Pump() { testing_support::DispatchPendingMessages(); }

    // The program's devices.xml with the devices of these models alone.
    static std::string ProgramDevicesOf(const std::vector<std::string>& models)
    {
        const std::string all = testing_support::ReadFileText(testing_support::SourcePath("res\\devices.xml"));
        std::string kept = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<devices>\n";
        for (size_t start = all.find("<device "); start != std::string::npos; start = all.find("<device ", start + 1))
        {
            const size_t end = all.find("</device>", start);
            if (end == std::string::npos)
                break;
            for (const std::string& model : models)
                if (all.compare(all.find("model=\"", start) + 7, model.size() + 1, model + "\"") == 0)
                    kept += all.substr(start, end + 9 - start) + "\n";
        }
        return kept + "</devices>\n";
    }

    std::string PathOf(const char* name) const { return m_folder + "\\" + name; }

    CDocumentDeviceGeneric1Ptr AddDevice(BYTE model, BYTE type)
    {
        const CDocumentDeviceGeneric1Ptr device = m_shell.AddDevice(model, type);
        EXPECT_TRUE(device);
        return device;
    }

    CDocumentDisplayPtr AddDisplay(size_t kind)
    {
        CDocument* opened = m_manager->GetDocTemplates()[kind]->OpenDocumentFile(nullptr, TRUE);
        CDocumentDisplayPtr display(dynamic_cast<CDocumentDisplay*>(opened));
        EXPECT_TRUE(display);
        if (display) {
            EXPECT_GT(m_manager->AddDisplay(display), 0);
        }
        return display;
    }

    static std::vector<CTreeItemPtr> Variables(CDocumentEx& document)
    {
        CTreeItemList items;
        document.CollectPlotItems(items);
        std::vector<CTreeItemPtr> variables;
        for (const CTreeItemPtr& item : items)
            if (item && item->GetVariableId() != PLOT_ID_NONE)
                variables.push_back(item);
        return variables;
    }

    Bytes Save(const std::string& path)
    {
        CDocumentWorkspace workspace;
        EXPECT_TRUE(workspace.OnSaveDocument(path.c_str()));
        return testing_support::ReadFileText(path);
    }

    // A workspace the way a user makes one: the computer, a Varnix MPPT on Modbus/TCP with
    // a State display of two of its values and a Logger of one, a Corandel Duo on a COM
    // port, and a graph of the MPPT's downloaded log, saved while that log was closed, so
    // that its column waits for the log's path.
    Bytes MakeSeed()
    {
        const CDocumentDeviceGeneric1Ptr mppt = AddDevice(20, 8);
        mppt->SetUserName("Roof MPPT");
        const boost::shared_ptr<CConnectionGeneric1> tcp = mppt->GetGenericConnection();
        tcp->SetSerial(false);
        tcp->SetHost("127.0.0.1");
        tcp->SetTcpPort(1502);
        tcp->SetUnitId(3);
        const CDocumentDeviceGeneric1Ptr duo = AddDevice(30, 4);
        duo->GetGenericConnection()->SetComPort(31);
        duo->GetGenericConnection()->SetUnitId(247);

        const std::vector<CTreeItemPtr> values = Variables(*mppt);
        EXPECT_GE(values.size(), 2u);
        const CDocumentDisplayPtr state = AddDisplay(0);
        const CDocumentDisplayPtr logger = AddDisplay(1);
        const CDocumentDisplayPtr graph = AddDisplay(2);
        if (values.size() < 2 || !state || !logger || !graph)
            return Bytes();
        state->AddVariable(*values[0]);
        state->AddVariable(*values[1]);
        logger->AddVariable(*values[1]);

        const std::string logPath = PathOf("VNX-MPPT-MUT0001.csv");
        EXPECT_TRUE(testing_support::WriteFileText(logPath, "\"time (UTC)\",\"Battery Voltage Min\"\n"
                                                            "\"2024-05-01T07:00:00.000+00:00\",\"12.5\"\n"
                                                            "\"2024-05-02T07:00:00.000+00:00\",\"12.7\"\n"));
        CDocumentLogFilePtr log(new CDocumentLogFile);
        log->SetDocumentManager(m_manager);
        log->OpenLogFile(Widen(logPath));
        log->SetSourceId(mppt->GetId());
        EXPECT_GT(m_manager->AddLogFile(log), 0);
        const std::vector<CTreeItemPtr> columns = Variables(*log);
        EXPECT_EQ(1u, columns.size());
        if (!columns.empty())
            graph->AddVariable(*columns[0]);
        EXPECT_EQ(1u, graph->GetEntryCount());
        Save(PathOf("seed.pxs"));

        // Opened again the log is closed: saved now, the column waits for its path.
        EXPECT_NE(nullptr, m_shell.app.OpenDocumentFile(PathOf("seed.pxs").c_str()));
        Pump();
        EXPECT_EQ(0u, Recorder().Count());
        const Bytes seed = Save(PathOf("saved.pxs"));
        std::string upper = logPath;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) { return static_cast<char>(::toupper(ch)); });
        EXPECT_NE(std::string::npos, seed.find(upper)) << "the waiting column's path";
        return seed;
    }

    // A small workspace for every cut: the computer and one Modbus/TCP device with a State
    // display of one of its values.
    Bytes MakeSmall()
    {
        CDocumentWorkspace fresh;
        fresh.OnNewDocument();
        const CDocumentDeviceGeneric1Ptr varnix = AddDevice(10, 2);
        varnix->GetGenericConnection()->SetSerial(false);
        varnix->GetGenericConnection()->SetHost("h");
        const std::vector<CTreeItemPtr> values = Variables(*varnix);
        const CDocumentDisplayPtr state = AddDisplay(0);
        if (values.empty() || !state)
            return Bytes();
        state->AddVariable(*values[0]);
        return Save(PathOf("small.pxs"));
    }

    // Opens the bytes as File > Open Workspace does; true when the workspace was adopted.
    // An adopted one is saved and must open again without a word.
    bool RunCase(const Bytes& bytes, const std::string& label)
    {
        // The framework does not read again a file that is the workspace already.
        const std::string path = PathOf(m_cases++ % 2 == 0 ? "case-a.pxs" : "case-b.pxs");
        if (!testing_support::WriteFileText(path, bytes))
        {
            ADD_FAILURE() << label << ": unable to write the case";
            return false;
        }
        Recorder().Clear();
        const DWORD started = ::GetTickCount();
        CDocument* opened = m_shell.app.OpenDocumentFile(path.c_str());
        Pump();
        const DWORD took = ::GetTickCount() - started;
        m_slowestMs = std::max(m_slowestMs, took);
        EXPECT_LT(took, CASE_LIMIT_MS) << label;
        const std::vector<testing_support::RecordedMessageBox> boxes = Recorder().Boxes();
        Recorder().Clear();
        if (opened == nullptr)
        {
            EXPECT_EQ(1u, boxes.size()) << label;
            if (!boxes.empty())
                ExpectKnownRefusal(boxes[0].text, path, label);
            return false;
        }
        for (const auto& box : boxes)
            ADD_FAILURE() << label << ": adopted with a box: " << box.text;
        EXPECT_LE(m_manager->GetDevices().size(), 255u) << label;
        ExpectHeldByTheProgram(label);
        const std::string saved = PathOf("saved.pxs");
        EXPECT_TRUE(opened->OnSaveDocument(saved.c_str())) << label;
        EXPECT_NE(nullptr, m_shell.app.OpenDocumentFile(saved.c_str())) << label << ": its own save is refused";
        Pump();
        for (const auto& box : Recorder().Boxes())
            ADD_FAILURE() << label << ": saved and opened again: " << box.text;
        Recorder().Clear();
        return true;
    }

    static std::vector<std::string> VariableNames(const CDocumentDeviceGeneric1& device)
    {
        std::vector<std::string> names;
        for (const GenericVariable_t& variable : device.GetVariables())
            names.push_back(variable.name);
        return names;
    }

    // What an adopted workspace holds is what the program can hold: each device as
    // devices.xml describes its model and type, a connection its Connection page takes,
    // the computer as the computer, and the entries of a display at indices of their own.
    void ExpectHeldByTheProgram(const std::string& label)
    {
        for (const CDocumentDevicePtr& device : m_manager->GetDevices())
        {
            const CDocumentDeviceGeneric1Ptr generic = boost::dynamic_pointer_cast<CDocumentDeviceGeneric1>(device);
            if (!generic)
            {
                EXPECT_EQ(240, device->GetModel()) << label;
                EXPECT_EQ(1, device->GetType()) << label;
                continue;
            }
            try
            {
                const CDocumentDeviceGeneric1Ptr described = CreateGenericDeviceFromXml(device->GetModel(), device->GetType());
                EXPECT_EQ(VariableNames(*described), VariableNames(*generic)) << label << ": it describes another model";
            }
            catch (const std::exception& error)
            {
                ADD_FAILURE() << label << ": adopted a device devices.xml does not describe: " << error.what();
            }
            const boost::shared_ptr<CConnectionGeneric1> connection = generic->GetGenericConnection();
            const int unit = connection->GetEffectiveUnitId();
            EXPECT_TRUE(unit >= 1 && unit <= 247) << label << ": unit " << unit;
            EXPECT_TRUE(connection->GetComPort() >= 1 && connection->GetComPort() <= 4096)
                << label << ": COM" << connection->GetComPort();
            EXPECT_TRUE(connection->GetTcpPort() >= 1 && connection->GetTcpPort() <= 65535)
                << label << ": TCP port " << connection->GetTcpPort();
            EXPECT_TRUE(connection->GetLocalTcpPort() >= 0 && connection->GetLocalTcpPort() <= 65535)
                << label << ": local TCP port " << connection->GetLocalTcpPort();
            EXPECT_TRUE(connection->IsSerial() || !connection->GetHost().empty()) << label << ": Modbus/TCP, no host";
            EXPECT_EQ(std::string::npos, connection->GetHost().find('\0')) << label << ": a NUL in the host";
        }
        for (const CDocumentDisplayPtr& display : m_manager->GetDisplays())
        {
            std::set<int> indices;
            for (size_t position = 0; position < display->GetEntryCount(); ++position)
                EXPECT_TRUE(indices.insert(display->GetEntry(position).index).second)
                    << label << ": two entries of index " << display->GetEntry(position).index;
        }
    }

    void ExpectKnownRefusal(const std::string& text, const std::string& path, const std::string& label)
    {
        const std::vector<std::string> naming = {
            "An unexpected error occurred while reading or writing " + path + ".",
            "An attempt was made to read past the end of " + path + ".",
            path + " has an invalid format.",
            path + " contains an unexpected object.",
            path + " contains an incorrect schema.",
            "Unable to open the workspace " + path + ":\ndevice *: *.",
            "Unable to open the workspace " + path + ":\ndisplay *: *.",
        };
        // A device that devices.xml does not describe: the box the program has always given for it.
        const std::string undescribed = "could not find type *, model * in *devices.xml.\n"
                                        "You likely need a new Pyraxis version.  The workspace contains an incorrect schema.";
        bool known = MatchesPattern(text, undescribed);
        for (const std::string& pattern : naming)
            known = known || MatchesPattern(text, pattern);
        EXPECT_TRUE(known) << label << ": \"" << text << "\"";
        // Counted by kind: the file named as FILE, numbers as #.
        std::string kind = text;
        for (size_t at = kind.find(path); at != std::string::npos; at = kind.find(path))
            kind.replace(at, path.size(), "FILE");
        std::string folded;
        for (char ch : kind.substr(0, kind.find(" in Z:")))
            if (!(::isdigit(static_cast<unsigned char>(ch)) && !folded.empty() && folded.back() == '#'))
                folded += ::isdigit(static_cast<unsigned char>(ch)) ? '#' : (ch == '\n' ? ' ' : ch);
        ++m_refusals[folded.substr(0, 120)];
    }

    shell_test::ShellFrame m_shell;
    CDocumentManager* m_manager = nullptr;
    std::string m_folder;
    int m_cases = 0;
    DWORD m_slowestMs = 0;
    std::map<std::string, int> m_refusals;
};
} // namespace

TEST_F(WorkspaceMutation, EveryCutAndDamagedWorkspaceIsAdoptedAndSavedAgainOrRefusedWithOneBox)
{
    const Bytes seed = MakeSeed();
    ASSERT_GT(seed.size(), 500u);
    const Bytes small = MakeSmall();
    ASSERT_GT(small.size(), 100u);
    ASSERT_TRUE(RunCase(seed, "seed"));
    ASSERT_TRUE(RunCase(small, "small"));

    int adopted = 0;
    int refused = 0;
    const DWORD cutsStarted = ::GetTickCount();
    for (size_t length = 0; length < small.size(); ++length)
        ++(RunCase(small.substr(0, length), "cut at " + std::to_string(length)) ? adopted : refused);
    // Only the whole file holds its last display.
    EXPECT_EQ(0, adopted);
    const int cuts = adopted + refused;
    const DWORD cutsMs = ::GetTickCount() - cutsStarted;
    const DWORD mutationsStarted = ::GetTickCount();

    ByteMutator mutator(20241211);
    for (int index = 0; index < MUTATED_CASES; ++index)
        ++(RunCase(mutator.Mutate(seed), "case " + std::to_string(index)) ? adopted : refused);
    const DWORD mutationsMs = ::GetTickCount() - mutationsStarted;
    std::printf("workspaces: %d tried (%d cuts of a %u-byte file in %lu ms, %d mutations of a %u-byte one in %lu ms): "
                "%d adopted, %d refused; slowest %lu ms\n",
                cuts + MUTATED_CASES, cuts, static_cast<unsigned>(small.size()), static_cast<unsigned long>(cutsMs),
                MUTATED_CASES, static_cast<unsigned>(seed.size()), static_cast<unsigned long>(mutationsMs), adopted,
                refused, static_cast<unsigned long>(m_slowestMs));
    for (const auto& refusal : m_refusals)
        std::printf("  %4d  %s\n", refusal.second, refusal.first.c_str());
    // Both outcomes are common: the damage reached every part of the file.
    EXPECT_GT(adopted, MUTATED_CASES / 20);
    EXPECT_GT(refused, MUTATED_CASES / 20);
}
