// The connector's threads and the lifetimes around them: an open whose outcome cannot be
// posted is settled by its thread, and no thread of the connector outlives it, as the
// devices it holds point at their manager, which goes right after the window.
#include <gtest/gtest.h>

#include "documents/CConnection.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "shell/DeviceConnector.h"

#include <boost/make_shared.hpp>

#include <memory>
#include <string>
#include <vector>

namespace
{
const DWORD kWaitMs = 10000;
const UINT kOutcomeMessage = WM_APP + 71;

volatile LONG g_managerGone = 0;

// A connection whose open runs until the test lets it go; what it then finds of its
// manager is what a late open would use.
class GatedConnection : public CConnection
{
public:
    explicit GatedConnection(CDocumentDevice* owner) : CConnection(owner) {}
    ~GatedConnection() override
    {
        ::CloseHandle(entered);
        ::CloseHandle(release);
        ::CloseHandle(ended);
    }
    void Open() override
    {
        ::SetEvent(entered);
        ::WaitForSingleObject(release, kWaitMs);
        if (g_managerGone != 0)
            ::InterlockedExchange(&usedAfterManager, 1);
        else
            PostConnectedState(false);   // what a late open posts
        ::SetEvent(ended);
    }
    bool Close() override { return true; }
    void AfterOpen() override {}
    bool ReleaseTransport() override { return true; }

    HANDLE entered = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE ended = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    volatile LONG usedAfterManager = 0;
};

// A device on a link of its own whose open waits at a gate all of them share, counting
// the opens under way at once.
class LinkOfItsOwn : public CConnection
{
public:
    LinkOfItsOwn(CDocumentDevice* owner, int link, HANDLE gate) : CConnection(owner), m_link(link), m_gate(gate) {}
    std::string GetLinkKey() override { return "link " + std::to_string(m_link); }
    void Open() override
    {
        const LONG now = ::InterlockedIncrement(&s_underWay);
        for (LONG most = s_most; now > most; most = s_most)
            ::InterlockedCompareExchange(&s_most, now, most);
        ::WaitForSingleObject(m_gate, kWaitMs);
        ::InterlockedDecrement(&s_underWay);
        ::InterlockedIncrement(&s_opened);
    }
    bool Close() override { return true; }
    void AfterOpen() override {}
    bool ReleaseTransport() override { return true; }

    static volatile LONG s_underWay;
    static volatile LONG s_most;
    static volatile LONG s_opened;

private:
    int m_link;
    HANDLE m_gate;
};
volatile LONG LinkOfItsOwn::s_underWay = 0;
volatile LONG LinkOfItsOwn::s_most = 0;
volatile LONG LinkOfItsOwn::s_opened = 0;

class ConnectorLifetimes : public testing::Test
{
protected:
    void SetUp() override
    {
        g_managerGone = 0;
        m_window = ::CreateWindowExA(0, "STATIC", "outcomes", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                     nullptr);
        ASSERT_NE(nullptr, m_window);
        m_manager.reset(new CDocumentManager);
        m_device = boost::make_shared<CDocumentDevice>();
        m_device->SetDocumentManager(m_manager.get());
        m_connection = boost::make_shared<GatedConnection>(m_device.get());
        m_device->SetConnection(m_connection);
        m_connector.reset(new DeviceConnector);
        m_connector->SetWindow(m_window, kOutcomeMessage);
    }

    void TearDown() override
    {
        ::SetEvent(m_connection->release);
        m_connector.reset();
        g_managerGone = 1;
        m_manager.reset();
        if (::IsWindow(m_window))
            ::DestroyWindow(m_window);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, kOutcomeMessage, kOutcomeMessage, PM_REMOVE))
            DeviceConnector::TakeOutcome(msg.lParam);
    }

    HWND m_window = nullptr;
    std::unique_ptr<CDocumentManager> m_manager;
    CDocumentDevicePtr m_device;
    boost::shared_ptr<GatedConnection> m_connection;
    std::unique_ptr<DeviceConnector> m_connector;
};
} // namespace

TEST_F(ConnectorLifetimes, AnOutcomeThatCannotBePostedLeavesTheDeviceNotConnecting)
{
    ASSERT_TRUE(m_connector->Connect(m_device));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(m_connection->entered, kWaitMs));
    EXPECT_TRUE(m_device->IsBusy());
    // The window goes before the open ends (as a full queue, it takes no message).
    ::DestroyWindow(m_window);
    ::SetEvent(m_connection->release);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(m_connection->ended, kWaitMs));
    bool settled = false;
    for (int i = 0; i < 1000 && !settled; ++i) {
        settled = !m_device->IsBusy() && !m_connector->IsOpening(m_device);
        if (!settled)
            ::Sleep(10);
    }
    EXPECT_FALSE(m_device->IsBusy()) << "the device stayed connecting";
    EXPECT_FALSE(m_connector->IsOpening(m_device)) << "its open stayed wanted";
}

TEST_F(ConnectorLifetimes, AnOpenLeftToEndByItselfIsOverBeforeTheConnectorIsGone)
{
    ASSERT_TRUE(m_connector->Connect(m_device));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(m_connection->entered, kWaitMs));
    // The window's own Abandon does not wait for it...
    m_connector->Abandon(0);
    // ...and the open goes on until the manager is gone, or two seconds at most.
    GatedConnection* connection = m_connection.get();
    HANDLE releaser = ::CreateThread(
        nullptr, 0,
        [](void* argument) -> DWORD {
            for (int i = 0; i < 200 && g_managerGone == 0; ++i)
                ::Sleep(10);
            ::SetEvent(static_cast<GatedConnection*>(argument)->release);
            return 0;
        },
        connection, 0, nullptr);
    ASSERT_NE(nullptr, releaser);
    m_connector.reset();
    // What the program does next: the manager goes with the application.
    g_managerGone = 1;
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(connection->ended, kWaitMs));
    EXPECT_EQ(0, connection->usedAfterManager) << "the open went on after its manager was gone";
    EXPECT_FALSE(m_device->IsBusy());
    ::WaitForSingleObject(releaser, kWaitMs);
    ::CloseHandle(releaser);
}

// Devices of many links open side by side, but only so many at once: a Connect All of a
// hundred links opening together kept the window's own requests to the system waiting.
TEST_F(ConnectorLifetimes, ManyLinksOpenSideBySideButOnlyEightAtOnce)
{
    const int kLinks = 20;
    HANDLE gate = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, gate);
    LinkOfItsOwn::s_underWay = LinkOfItsOwn::s_most = LinkOfItsOwn::s_opened = 0;
    std::vector<CDocumentDevicePtr> devices;
    for (int link = 0; link < kLinks; ++link) {
        devices.push_back(boost::make_shared<CDocumentDevice>());
        devices.back()->SetDocumentManager(m_manager.get());
        devices.back()->SetConnection(boost::make_shared<LinkOfItsOwn>(devices.back().get(), link, gate));
        ASSERT_TRUE(m_connector->Connect(devices.back()));
    }
    for (int i = 0; i < 1000 && LinkOfItsOwn::s_underWay < 8; ++i)
        ::Sleep(10);
    // Time for more to begin, were they let.
    ::Sleep(300);
    EXPECT_EQ(8, LinkOfItsOwn::s_underWay) << "opens under way while all wait";
    ::SetEvent(gate);
    for (int i = 0; i < 1000 && LinkOfItsOwn::s_opened < kLinks; ++i)
        ::Sleep(10);
    EXPECT_EQ(kLinks, LinkOfItsOwn::s_opened) << "every link's device was opened";
    EXPECT_EQ(8, LinkOfItsOwn::s_most);
    // Every outcome came to the window.
    int outcomes = 0;
    MSG msg;
    for (int i = 0; i < 1000 && outcomes < kLinks; ++i) {
        while (::PeekMessageA(&msg, m_window, kOutcomeMessage, kOutcomeMessage, PM_REMOVE)) {
            const std::unique_ptr<DeviceOpenOutcome_t> outcome = DeviceConnector::TakeOutcome(msg.lParam);
            outcomes += outcome->opened ? 1 : 0;
        }
        if (outcomes < kLinks)
            ::Sleep(10);
    }
    EXPECT_EQ(kLinks, outcomes);
    m_connector.reset();
    ::CloseHandle(gate);
}
