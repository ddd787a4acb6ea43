// Devices > Manual Connection as the user runs it: the device chosen, its connection
// entered in its property sheet and OK pressed. A connection where a device of the
// workspace is reached (the same COM port and unit, or the same host, port and unit) is
// that device: the search's box, and nothing is added.
#include <gtest/gtest.h>

#include "documents/CConnectionGeneric1.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CDocumentManager.h"
#include "res/pyraxis_resource.h"
#include "shell/CMainFrame.h"
#include "shell/ShellCommands.h"
#include "tests/shell_ui/ShellFrame.h"
#include "tests/support/DialogUser.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/TestPaths.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
testing_support::MessageBoxRecorder& Recorder()
{
    return testing_support::MessageBoxRecorder::Instance();
}

// What the user enters on the Connection page.
struct Entered
{
    bool tcp;
    int comPort;
    std::string host;
    std::string tcpPort;
    std::string address;
};

class ManualConnection : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_shell.Open(testing_support::SourcePath("res"))); }
    void TearDown() override { m_shell.Close(); }

    CDocumentDeviceGeneric1Ptr AddVarnix(const std::string& name)
    {
        CDocumentDeviceGeneric1Ptr device = m_shell.AddDevice(10, 2);
        EXPECT_TRUE(device);
        if (device)
            device->SetUserName(name.c_str());
        return device;
    }

    std::vector<std::string> ListedNames()
    {
        std::vector<std::string> names;
        for (const CDocumentDevicePtr& device : m_shell.manager->GetDevices())
            if (device->IsListed())
                names.push_back(device->GetName().GetString());
        return names;
    }

    // Runs the command: the Varnix chosen, the connection entered and OK pressed.
    void ConnectByHand(const Entered& entered)
    {
        shell_test::DialogUser chooser(IDC_NEW_DEVICE_LIST, [](HWND dialog) {
            shell_test::SelectListRowOf(dialog, IDC_NEW_DEVICE_LIST, "Varnix");
            shell_test::Click(dialog, IDOK);
        });
        shell_test::DialogUser sheet(IDC_CONNECTION_TYPE, [entered](HWND dialog) {
            const auto set = [&](int id, const std::string& text) {
                ::SendMessageA(shell_test::FindDescendant(dialog, id), WM_SETTEXT, 0,
                               reinterpret_cast<LPARAM>(text.c_str()));
            };
            ::SendMessageA(shell_test::FindDescendant(dialog, IDC_CONNECTION_TYPE), CB_SETCURSEL, entered.tcp ? 1 : 0,
                           0);
            if (entered.tcp) {
                set(IDC_CONNECTION_HOST, entered.host);
                set(IDC_CONNECTION_TCP_PORT, entered.tcpPort);
            } else {
                ::SendMessageA(shell_test::FindDescendant(dialog, IDC_CONNECTION_COM_PORT), CB_SETCURSEL,
                               entered.comPort - 1, 0);
            }
            set(IDC_CONNECTION_ADDRESS, entered.address);
            ::PostMessageA(dialog, PSM_PRESSBUTTON, PSBTN_OK, 0);
        });
        m_shell.frame->SendMessage(WM_COMMAND, ID_DEVICES_MANUAL_CONNECTION, 0);
        testing_support::DispatchPendingMessages();
        EXPECT_TRUE(chooser.Finished());
        EXPECT_TRUE(sheet.Finished());
    }

    std::vector<std::string> TakeBoxes()
    {
        std::vector<std::string> texts;
        for (const auto& box : Recorder().Boxes())
            texts.push_back(box.text);
        Recorder().Clear();
        return texts;
    }

    shell_test::ShellFrame m_shell;
};
} // namespace

TEST_F(ManualConnection, ADeviceOfTheWorkspaceEnteredAgainIsNamedAndNotAdded)
{
    const CDocumentDeviceGeneric1Ptr serial = AddVarnix("Shed");
    serial->GetGenericConnection()->SetComPort(7);
    serial->GetGenericConnection()->SetUnitId(3);
    const CDocumentDeviceGeneric1Ptr tcp = AddVarnix("Barn");
    tcp->GetGenericConnection()->SetSerial(false);
    tcp->GetGenericConnection()->SetHost("10.0.0.9");
    tcp->GetGenericConnection()->SetTcpPort(1502);
    tcp->GetGenericConnection()->SetUnitId(4);
    const std::vector<std::string> before = ListedNames();

    ConnectByHand({false, 7, "", "", "3"});
    EXPECT_EQ(std::vector<std::string>{"'Shed' is already in the workspace, on COM7 (unit 3).\n"
                                       "It was not added a second time."},
              TakeBoxes());
    EXPECT_EQ(before, ListedNames());

    ConnectByHand({true, 0, "10.0.0.9", "1502", "0x4"});
    EXPECT_EQ(std::vector<std::string>{"'Barn' is already in the workspace, on 10.0.0.9:1502 (unit 4).\n"
                                       "It was not added a second time."},
              TakeBoxes());
    EXPECT_EQ(before, ListedNames());

    // Another unit on that port, and another port of that host, are other devices.
    ConnectByHand({false, 7, "", "", "4"});
    ConnectByHand({true, 0, "10.0.0.9", "1503", "4"});
    EXPECT_EQ(std::vector<std::string>{}, TakeBoxes());
    EXPECT_EQ(before.size() + 2, ListedNames().size());
}
