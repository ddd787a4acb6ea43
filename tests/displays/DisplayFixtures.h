// What the display document tests share: a document manager with devices whose
// connection state the test sets, tree items as the trees hand them over, value items,
// and displays whose posts land in a message collector.
#pragma once
#include "displays/CDisplayGraphTimeDoc.h"
#include "displays/CDisplayLogWriteDoc.h"
#include "displays/CDisplayStateDoc.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "tests/support/MessageCollector.h"

#include <string>
#include <vector>

namespace display_testing
{
// A device whose connection the test switches.
class FakeDevice : public CDocumentDevice
{
public:
    explicit FakeDevice(const char* name) { SetDefaultName(name); }
    bool IsConnected() override { return connected; }
    bool connected = true;
};

// The displays with their view window set to the test's collector.
template <class Display>
class Posting : public Display
{
public:
    void SetViewWindow(HWND window) { this->m_viewWindow = window; }
};

class DisplayTest : public ::testing::Test
{
protected:
    DisplayTest();
    ~DisplayTest() override;

    // Adds a device to the manager; its id.
    int AddDevice(const char* name, bool connected = true);
    FakeDevice& Device(int id);
    // A device variable as the device tree hands it over, with its device as owner.
    CTreeItemPtr Variable(int deviceId, int variableId, const char* name, const char* units = "V");
    CStoragePtr Value(int deviceId, int variableId, double value);
    CStoragePtr Refresh(int code, int id);
    // The wParam of every posted message of that id, after pumping what is pending.
    std::vector<WPARAM> Posted(UINT message);
    // Forgets what was posted so far, the messages still queued included.
    void ClearPosted();
    template <class Display>
    boost::shared_ptr<Posting<Display>> MakeDisplay()
    {
        boost::shared_ptr<Posting<Display>> display(new Posting<Display>());
        display->SetDocumentManager(manager.get());
        display->SetViewWindow(collector.Window());
        manager->AddDisplay(display);
        return display;
    }

    CDocumentManagerPtr manager;
    testing_support::MessageCollector collector;
    std::string folder;
};
}  // namespace display_testing
