#include <gtest/gtest.h>

#include "tests/displays/DisplayFixtures.h"

#include "documents/CPlotItemSimpleValue.h"
#include "documents/CStorageRefreshEvent.h"
#include "framework/COleVariant.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/TestPaths.h"

namespace display_testing
{
DisplayTest::DisplayTest() : manager(new CDocumentManager)
{
    // The tests hand items to the displays themselves.
    manager->GetDispatcher().Shutdown();
    testing_support::MessageBoxRecorder::Instance().Clear();
    folder = testing_support::BuildPath("test-output\\displays");
    testing_support::EnsureDirectory(folder);
}

DisplayTest::~DisplayTest()
{
    manager->CloseAll();
}

int DisplayTest::AddDevice(const char* name, bool connected)
{
    boost::shared_ptr<FakeDevice> device(new FakeDevice(name));
    device->connected = connected;
    device->SetDocumentManager(manager.get());
    return manager->AddDevice(device);
}

FakeDevice& DisplayTest::Device(int id)
{
    return static_cast<FakeDevice&>(*manager->FindDeviceById(id));
}

CTreeItemPtr DisplayTest::Variable(int deviceId, int variableId, const char* name, const char* units)
{
    CTreeItemPtr owner(new CTreeItem(manager->FindDeviceById(deviceId) ? manager->FindDeviceById(deviceId)->GetName()
                                                                        : CString("gone"),
                                     "", PLOT_ID_NONE, PLOT_ID_NONE, deviceId, ""));
    CTreeItemPtr item(new CTreeItem(name, units, STORAGE_TYPE_SIMPLE_VALUE, variableId, deviceId,
                                    (std::string("about ") + name).c_str()));
    item->SetAssociated(owner);
    return item;
}

CStoragePtr DisplayTest::Value(int deviceId, int variableId, double value)
{
    COleVariant variant(value);
    return CStoragePtr(new CPlotItemSimpleValue(static_cast<BYTE>(deviceId), variableId, variant, "", ""));
}

CStoragePtr DisplayTest::Refresh(int code, int id)
{
    return CStoragePtr(new CStorageRefreshEvent(code, id));
}

namespace
{
// Posted on this thread: all of it is queued already.
void DispatchQueued()
{
    MSG pending;
    for (int count = 0; count < 100000 && ::PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE); ++count)
        ::DispatchMessageA(&pending);
}
}  // namespace

void DisplayTest::ClearPosted()
{
    DispatchQueued();
    collector.Clear();
}

std::vector<WPARAM> DisplayTest::Posted(UINT message)
{
    DispatchQueued();
    std::vector<WPARAM> posted;
    for (const auto& collected : collector.Messages(message))
        posted.push_back(collected.wParam);
    return posted;
}
}  // namespace display_testing
