#include "tests/demo_ui/DemoShell.h"

#include "documents/CConnection.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "shell/CMainFrame.h"
#include "shell/CVarnixViewApp.h"
#include "tests/support/PendingMessages.h"

namespace demo_ui {

CMainFrame* OpenDemoShell(CVarnixViewApp& app)
{
    CMainFrame* frame = app.CreateShell();
    if (frame == nullptr)
        return nullptr;
    frame->SetWindowPos(nullptr, 0, 0, 1200, 820, SWP_NOZORDER);
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
    testing_support::DispatchPendingMessages();
    return frame;
}

void CloseDemoShell(CVarnixViewApp& app, HWND frame)
{
    if (CDocumentManager* manager = app.GetDocumentManager()) {
        for (const CDocumentDevicePtr& device : manager->GetDevices())
            if (device->IsConnected())
                device->GetConnection()->Disconnect();
        manager->CloseAll();
    }
    if (::IsWindow(frame))
        ::DestroyWindow(frame);
    testing_support::DispatchPendingMessages();
    app.m_pMainWnd = nullptr;
}

} // namespace demo_ui
