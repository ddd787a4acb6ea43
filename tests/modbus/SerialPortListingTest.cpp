// The serial-port listing against registry keys that a .reg fixture writes into
// Wine's registry.
#include <gtest/gtest.h>

#include "modbus/SerialPortListing.h"
#include "tests/support/TestPaths.h"

#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kPrivateRoot[] = "SOFTWARE\\QuorvantTest\\Enum";

BOOL Collect(void* user, const SerialPortInfo_t& port)
{
    static_cast<std::vector<SerialPortInfo_t>*>(user)->push_back(port);
    return TRUE;
}

BOOL StopAtFirst(void* user, const SerialPortInfo_t& /*port*/)
{
    ++*static_cast<int*>(user);
    return FALSE;
}

const SerialPortInfo_t* Find(const std::vector<SerialPortInfo_t>& ports, const char* name)
{
    for (const SerialPortInfo_t& port : ports)
        if (port.portName.Compare(name) == 0)
            return &port;
    return nullptr;
}

void RemoveFixture()
{
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuorvantTest");
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\QVTESTENUM");
    HKEY deviceMap = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_SET_VALUE,
                      &deviceMap) == ERROR_SUCCESS) {
        RegDeleteValueA(deviceMap, "\\Device\\QvTestSerial0");
        RegCloseKey(deviceMap);
    }
}

class SerialPortListingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RemoveFixture();
        std::string command =
            "regedit.exe /S \"" + testing_support::SourcePath("tests/modbus/SerialPorts.reg") + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        imported = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process) &&
                   WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
        if (process.hProcess) {
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }

    static void TearDownTestSuite() { RemoveFixture(); }

    void SetUp() override { ASSERT_TRUE(imported) << "regedit could not import the fixture"; }

    static bool imported;
};

bool SerialPortListingTest::imported = false;

TEST_F(SerialPortListingTest, WalkFindsPortInstancesByClassOrClassGuid)
{
    std::vector<SerialPortInfo_t> ports;
    ASSERT_TRUE(EnumerateSerialPortsFromEnumKey(Collect, &ports, kPrivateRoot)) << GetLastError();

    std::vector<std::string> names;
    for (const SerialPortInfo_t& port : ports)
        names.push_back(port.portName.StdString());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM10", "COM2", "com3"}))
        << "LPT1, a MEDIA device, a longer class text and a port without a name stay out";

    const SerialPortInfo_t* usb = Find(ports, "COM10");
    ASSERT_NE(usb, nullptr);
    EXPECT_STREQ(usb->friendlyName, "USB Serial Port (COM10)") << "name from Device Parameters";
    const SerialPortInfo_t* unnamed = Find(ports, "com3");
    ASSERT_NE(unnamed, nullptr);
    EXPECT_STREQ(unnamed->friendlyName, "com3") << "no FriendlyName: the port name";
    EXPECT_STREQ(Find(ports, "COM1")->friendlyName, "Communications Port (COM1)");
}

TEST_F(SerialPortListingTest, CallbackCanStopTheWalk)
{
    int calls = 0;
    EXPECT_TRUE(EnumerateSerialPortsFromEnumKey(StopAtFirst, &calls, kPrivateRoot));
    EXPECT_EQ(calls, 1);
}

TEST_F(SerialPortListingTest, MissingRootOrCallbackFail)
{
    std::vector<SerialPortInfo_t> ports;
    EXPECT_FALSE(EnumerateSerialPortsFromEnumKey(Collect, &ports, "SOFTWARE\\QuorvantTest\\Nothing"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(EnumerateSerialPorts(nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(SerialPortListingTest, DeviceMapValuesArePortAndFriendlyName)
{
    std::vector<SerialPortInfo_t> ports;
    ASSERT_TRUE(EnumerateSerialPortsFromDeviceMap(Collect, &ports)) << GetLastError();
    const SerialPortInfo_t* port = Find(ports, "COM77");
    ASSERT_NE(port, nullptr);
    EXPECT_STREQ(port->friendlyName, "COM77");
}

TEST_F(SerialPortListingTest, ListingIsSortedByTextWithoutDuplicates)
{
    std::vector<SerialPortInfo_t> ports;
    EXPECT_TRUE(ListSerialPorts(ports));

    int com63 = 0;
    for (const SerialPortInfo_t& port : ports)
        com63 += port.portName.CompareNoCase("COM63") == 0;
    EXPECT_EQ(com63, 1) << "com63 and COM63 are one port";
    EXPECT_NE(Find(ports, "COM610"), nullptr);
    EXPECT_EQ(Find(ports, "LPT9"), nullptr);

    for (size_t i = 1; i < ports.size(); ++i)
        EXPECT_LT(ports[i - 1].portName.CompareNoCase(ports[i].portName), 0)
            << ports[i - 1].portName.GetString() << " before " << ports[i].portName.GetString();

    // Text order: COM610 comes before COM63.
    auto position = [&](const char* name) {
        for (size_t i = 0; i < ports.size(); ++i)
            if (ports[i].portName.CompareNoCase(name) == 0)
                return static_cast<int>(i);
        return -1;
    };
    EXPECT_LT(position("COM610"), position("COM63"));
}

} // namespace
