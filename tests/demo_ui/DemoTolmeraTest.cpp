// tools/demo --tolmera as a newcomer runs it: the test bootloader on a COM port that the
// computer lists as a serial port device, a firmware file made by the demo's generator, and
// Tolmera started with that file, walked from its welcome pages through the port page to
// the end of the update. Screenshots of each step go to build/screenshots (demo_tolmera_*).
#include <gtest/gtest.h>

#include "tests/support/ListedPort.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Polling.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"

#include <prsht.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace testing_support;

namespace
{
const int kRecords = 200;
const char* const kSuccess = "Step 5 - Varnix Updated Successfully";

std::vector<std::string> JournalEvents(const std::string& path, const std::string& event)
{
    std::vector<std::string> lines;
    std::ifstream journal(path);
    std::string line;
    while (std::getline(journal, line))
        if (PeerHost::Field(line, "event") == event)
            lines.push_back(line);
    return lines;
}

TEST(DemoTolmera, AFirmwareUpdateRunsToItsEnd)
{
    PeerHost host;
    ASSERT_TRUE(host.Connected()) << host.Error();
    const SerialPair pair = host.OpenSerialPair();
    ASSERT_NE(0, pair.id) << host.Error();
    ListedPort listed(pair.com);
    ASSERT_TRUE(listed.Made());
    const std::string folder = "tests/demo_ui/tolmera-" + ProcessTag();
    ASSERT_TRUE(EnsureDirectory(BuildPath(folder)));
    const std::string firmware = BuildPath(folder + "/demo-firmware.qvz");
    const std::string journal = BuildPath(folder + "/journal.jsonl");
    const std::string ports = BuildPath(folder + "/ports");
    for (const std::string& file : {firmware, journal, ports})
        ::DeleteFileA(file.c_str());

    // The demo's firmware file, by the demo's generator.
    const int generator = host.SpawnPython(
        "qvzgen.py", {"write", BuildUnixPath(folder + "/demo-firmware.qvz"), "--records", std::to_string(kRecords),
                      "--product-id", "1", "--header", "Quorvant demo firmware 3.20 for the Varnix"});
    ASSERT_NE(0, generator) << host.Error();
    ASSERT_TRUE(PollUntil([&] { return !host.Alive(generator); }, ProgramRun::kWaitMs));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(firmware.c_str()));
    const int bootloader = host.SpawnPython(
        "qvdevice.py", {"--bootloader", pair.peerPath, "--firmware", BuildUnixPath(folder + "/demo-firmware.qvz"),
                        "--journal", BuildUnixPath(folder + "/journal.jsonl"), "--port-file",
                        BuildUnixPath(folder + "/ports"), "--lifetime", "180"});
    ASSERT_NE(0, bootloader) << host.Error();
    ASSERT_TRUE(PollUntil([&] { return ::GetFileAttributesA(ports.c_str()) != INVALID_FILE_ATTRIBUTES; },
                          ProgramRun::kWaitMs));

    ProgramRun run(BuildProgramCommand("tolmera.exe", "\"" + firmware + "\""), ProgramRun::HeapChecks::AsTheTest);
    ASSERT_TRUE(run.Started());
    HWND sheet = nullptr;
    ASSERT_TRUE(PollUntil([&] { return !run.Windows().empty() && (sheet = run.Windows().front()) != nullptr; },
                          ProgramRun::kWaitMs));
    // Next through every page; each new title is photographed once.
    std::vector<std::string> titles;
    DWORD lastPress = 0;
    const bool ended = PollUntil(
        [&] {
            const std::string title = TextOf(sheet);
            if (titles.empty() || titles.back() != title) {
                titles.push_back(title);
                Screenshot::OfWindow(sheet).Save("demo_tolmera_" + std::to_string(titles.size()));
            }
            if (title == kSuccess)
                return true;
            HWND next = ::GetDlgItem(sheet, 0x3024);
            if (next != nullptr && ::IsWindowVisible(next) && ::IsWindowEnabled(next) &&
                ::GetTickCount() - lastPress > 500) {
                lastPress = ::GetTickCount();
                ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
            }
            return false;
        },
        2 * ProgramRun::kWaitMs);
    ASSERT_TRUE(ended) << testing::PrintToString(titles);
    EXPECT_EQ(1u, std::set<std::string>(titles.begin(), titles.end()).count("Step 2 - Choose COM Port"))
        << "the port page came, with the demo's port chosen";
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    EXPECT_NE(ProgramRun::kEndedByTest, run.WaitForEnd()) << "Exit ends the program";

    // The bootloader took every record of the file, each matching, and ended with success.
    const std::vector<std::string> records = JournalEvents(journal, "record");
    ASSERT_EQ(static_cast<size_t>(kRecords), records.size());
    for (const std::string& record : records)
        EXPECT_EQ("true", PeerHost::Field(record, "match")) << record;
    const std::vector<std::string> final = JournalEvents(journal, "final");
    ASSERT_EQ(1u, final.size());
    EXPECT_EQ("144", PeerHost::Field(final[0], "status"));
    host.Stop(bootloader);
}

} // namespace
