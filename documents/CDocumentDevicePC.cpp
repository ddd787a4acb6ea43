#include "documents/CDocumentDevicePC.h"

#include "framework/CArchive.h"

#include <stdexcept>
#include <string>

namespace
{
const int PC_DEVICE_SCHEMA = 1;
const char* const PC_DEVICE_SERIAL = "PC000";
}

IMPLEMENT_DYNCREATE(CDocumentDevicePC, CDocumentDevice)

namespace
{
// Workspaces create the computer by its class name.
[[maybe_unused]] const bool g_registered = CRuntimeClass::Register(RUNTIME_CLASS(CDocumentDevicePC));
}

CDocumentDevicePC::CDocumentDevicePC(CDocumentManager* manager)
    : CDocumentDevice(manager, PC_DEVICE_MODEL, PC_DEVICE_TYPE, SKELDER_TYPE_NONE, PC_DEVICE_SERIAL)
{
}

bool CDocumentDevicePC::IsListed()
{
    return false;
}

bool CDocumentDevicePC::IsBusy()
{
    return false;
}

void CDocumentDevicePC::ShowDebugConsole()
{
}

WORD CDocumentDevicePC::GetDeviceSet()
{
    return PC_DEVICE_SET;
}

void CDocumentDevicePC::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << PC_DEVICE_SCHEMA;
        ar.WriteClass(RUNTIME_CLASS(CDocumentDevice));
    }
    else
    {
        // Any schema number is accepted.
        int schema = 0;
        ar >> schema;
        ar.ReadClass(RUNTIME_CLASS(CDocumentDevice));
    }
    const BYTE model = m_model;
    const BYTE type = m_type;
    CDocumentDevice::Serialize(ar);
    if (!ar.IsStoring() && (m_model != model || m_type != type))
        throw std::runtime_error("the computer's record is model " + std::to_string(m_model) + ", type " +
                                 std::to_string(m_type) + ", where the computer is model " + std::to_string(model) +
                                 ", type " + std::to_string(type));
}
