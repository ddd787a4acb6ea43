#include "tests/shell_ui/ShellFrame.h"

#include "documents/CDocumentManager.h"
#include "documents/GenericDevices.h"
#include "shell/CMainFrame.h"
#include "shell/ProgramFolders.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"

namespace shell_test
{
bool ShellFrame::Open(const std::string& programFolder)
{
    testing_support::MessageBoxRecorder::Instance().Clear();
    m_savedFolder = GetProgramFolders().GetProgramFolder();
    GetProgramFolders().SetProgramFolder(std::wstring(programFolder.begin(), programFolder.end()));
    frame = app.CreateShell();
    if (frame == nullptr)
        return false;
    m_frameHandle = frame->GetSafeHwnd();
    manager = app.GetDocumentManager();
    frame->SetWindowPos(nullptr, 0, 0, 900, 600, SWP_NOZORDER);
    frame->ShowWindow(SW_SHOW);
    testing_support::DispatchPendingMessages();
    return true;
}

void ShellFrame::Close()
{
    if (manager != nullptr)
        manager->CloseAll();
    if (::IsWindow(m_frameHandle))
        ::DestroyWindow(m_frameHandle);
    testing_support::DispatchPendingMessages();
    app.m_pMainWnd = nullptr;
    GetProgramFolders().SetProgramFolder(m_savedFolder);
    testing_support::MessageBoxRecorder::Instance().Clear();
}

CDocumentDeviceGeneric1Ptr ShellFrame::AddDevice(BYTE model, BYTE type)
{
    CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(model, type, 255, manager));
    LoadGenericDevices(GetProgramFolders().GetDevicesXmlPath(), manager, model, type, device.get(), nullptr);
    if (manager->AddDevice(device) <= 0)
        return CDocumentDeviceGeneric1Ptr();
    return device;
}
} // namespace shell_test
