#include "wizards/framework/CModbusProgrammingThread.h"

#include "documents/CConnection.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "framework/MessageBoxHook.h"
#include "shell/CGenericMessageBox.h"

bool DisconnectDeviceForProgramming(const ModbusEndpoint_t* device)
{
    if (device == nullptr)
        return true;
    CDocumentManager* manager = CDocumentManager::GetApplicationManager();
    if (manager == nullptr)
        return true;
    CDocumentDevicePtr document = manager->FindDeviceByEndpoint(*device);
    if (!document || !document->IsConnected())
        return true;
    if (ShowGenericMessageBox("Pyraxis must disconnect from the device before you can program it with these settings.",
                              MB_ICONQUESTION, "Disconnect and program", "Cancel", nullptr) != IDOK)
        return false;
    CConnectionPtr connection = document->GetConnection();
    if (!connection || !connection->Disconnect())
    {
        AfxMessageBox("Error: unable to close connection.", MB_ICONHAND);
        return false;
    }
    return true;
}
