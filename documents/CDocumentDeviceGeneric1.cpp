#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/CPropPageDeviceGenericInfo.h"
#include "documents/CPropPageGenericCoils.h"
#include "documents/CPropPageGenericConnection.h"
#include "modbus/CDialogModbusDebug.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CSingleLock.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "framework/MessageBoxHook.h"
#include "framework/ResourceHandle.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CPlotItemSimpleValue.h"
#include "documents/DeviceDescriptionReader.h"
#include "documents/GenericDevices.h"
#include "documents/VariantHelpers.h"
#include "shell/ProgramFolders.h"

#include <cmath>
#include <stdexcept>

IMPLEMENT_DYNCREATE(CDocumentDeviceGeneric1, CDocumentDevice)

// Workspaces create their devices by class name.
[[maybe_unused]] static const bool registeredGenericDevice =
    CRuntimeClass::Register(RUNTIME_CLASS(CDocumentDeviceGeneric1));

namespace {

const int GENERIC_DEVICE_SCHEMA = 1;
const char* const GENERIC_DEFAULT_NAME = "Generic 1";
const char* const HOURMETER_NAME = "Hourmeter";
const char* const TOOLS_MENU_TEXT = "Tools";
const char* const UNKNOWN_ENTRY_TEXT = "unknown";
// Completed by the framework's own words on a bad schema.
const char* const WORKSPACE_LOAD_HINT = ".\nYou likely need a new Pyraxis version.  The workspace";

bool EqualsIgnoringCase(const std::string& left, const char* right)
{
    return _stricmp(left.c_str(), right) == 0;
}

const GenericVariable_t* FindVariableByName(const std::vector<GenericVariable_t>& variables,
                                            const char* name)
{
    for (const GenericVariable_t& variable : variables)
        if (EqualsIgnoringCase(variable.name, name))
            return &variable;
    return nullptr;
}

// Advances the iterator n times; landing on or passing the end throws, so that the
// result can always be dereferenced.
template <typename Iterator>
Iterator checked_next(Iterator position, Iterator end, int n)
{
    for (int step = 0; step < n; ++step) {
        if (position == end)
            throw std::range_error("checked_next passed end");
        ++position;
    }
    if (position == end)
        throw std::range_error("checked_next passed end");
    return position;
}

std::string MenuText(HMENU menu, UINT item, UINT flags)
{
    char text[256] = {};
    const int length = GetMenuStringA(menu, item, text, static_cast<int>(sizeof text), flags);
    return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

// The command's text in the Tools popup of the main frame's menu resource.
std::string ToolsMenuCommandText(UINT command)
{
    HMENU menu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(MAIN_FRAME_MENU_ID));
    if (menu == nullptr)
        throw std::runtime_error("unable to load the main menu");
    struct MenuHolder {
        HMENU menu;
        ~MenuHolder() { DestroyMenu(menu); }
    } holder{menu};

    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        std::string title = MenuText(menu, static_cast<UINT>(position), MF_BYPOSITION);
        std::string plain;
        for (char character : title)
            if (character != '&')
                plain += character;
        if (plain != TOOLS_MENU_TEXT)
            continue;
        HMENU tools = GetSubMenu(menu, position);
        if (tools == nullptr)
            throw std::runtime_error("unable to get Tools menu");
        const std::string text = MenuText(tools, command, MF_BYCOMMAND);
        if (!text.empty())
            return text;
        // A command offered only from its device's popup names itself in the string table.
        CString own;
        return own.LoadString(command) ? std::string(own.GetString()) : std::string();
    }
    throw std::runtime_error("unable to find Tools menu");
}

} // namespace

CDocumentDeviceGeneric1::CDocumentDeviceGeneric1()
    : CDocumentDeviceGeneric1(0, 0, SKELDER_TYPE_NONE, nullptr)
{
}

CDocumentDeviceGeneric1::CDocumentDeviceGeneric1(BYTE model, BYTE type, BYTE skelderType,
                                                 CDocumentManager* manager)
    : CDocumentDevice(manager, model, type, skelderType, std::string()),
      m_set(0),
      m_configStore(new CStorageGenericConfig1(GENERIC_CONFIG_SOURCE_ID)),
      m_pendingConnectNotices(0)
{
    SetDefaultName(GENERIC_DEFAULT_NAME);
    SetConnection(CConnectionPtr(new CConnectionGeneric1(this)));
    m_wizardCommands.insert(std::make_pair(BYTE(2), ID_TOOLS_VARNIX_WIZARD));
    m_wizardCommands.insert(std::make_pair(BYTE(2), ID_TOOLS_DIP_SWITCH_WIZARD));
    m_wizardCommands.insert(std::make_pair(BYTE(3), ID_TOOLS_OSTREL_WIZARD));
    m_wizardCommands.insert(std::make_pair(BYTE(7), ID_TOOLS_CORANDEL_MPPT_WIZARD));
    m_wizardCommands.insert(std::make_pair(BYTE(4), ID_TOOLS_CORANDEL_DUO_WIZARD));
    m_wizardCommands.insert(std::make_pair(BYTE(8), ID_TOOLS_VARNIX_MPPT_WIZARD));
    m_wizardCommands.insert(std::make_pair(BYTE(9), ID_TOOLS_VARNIX_HV_MPPT_WIZARD));
}

CDocumentDeviceGeneric1::~CDocumentDeviceGeneric1()
{
    // The polling thread converts into our members: it must stop before they go.
    try {
        if (m_connection && m_connection->IsConnected())
            m_connection->Disconnect();
    } catch (...) {
    }
}

void CDocumentDeviceGeneric1::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << GENERIC_DEVICE_SCHEMA << static_cast<int>(m_type) << static_cast<int>(m_model);
        ar.SerializeClass(RUNTIME_CLASS(CDocumentDevice));
        CDocumentDevice::Serialize(ar);
        return;
    }

    int schema = 0;
    ar >> schema;
    if (schema != GENERIC_DEVICE_SCHEMA)
        AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    int type = 0;
    int model = 0;
    ar >> type >> model;
    try {
        LoadGenericDevices(GetProgramFolders().GetDevicesXmlPath(), GetDocumentManager(), model, type,
                           this, nullptr);
    } catch (const std::exception& error) {
        const std::string text = error.what() + std::string(WORKSPACE_LOAD_HINT);
        AfxThrowArchiveException(CArchiveException::badSchema, text.c_str());
    }
    const BYTE describedSkelderType = m_skelderType;
    ar.SerializeClass(RUNTIME_CLASS(CDocumentDevice));
    CDocumentDevice::Serialize(ar);
    // The variables are those of the description read above: a device that named
    // another model would describe one and show itself as the other.
    if (m_model != model || m_type != type)
        throw std::runtime_error("its record is model " + std::to_string(model) + ", type " + std::to_string(type) +
                                 " in one part and model " + std::to_string(m_model) + ", type " +
                                 std::to_string(m_type) + " in the other");
    if (m_skelderType == SKELDER_TYPE_NONE)
        m_skelderType = describedSkelderType;
}

void CDocumentDeviceGeneric1::CollectPlotItems(CTreeItemList& items)
{
    CDocumentDevice::CollectPlotItems(items);
    for (const GenericVariable_t& variable : m_variables)
        items.push_back(CTreeItemPtr(new CTreeItem(variable.name.c_str(), variable.units.c_str(),
                                                   static_cast<int>(STORAGE_TYPE_SIMPLE_VALUE),
                                                   variable.id, GetId(), variable.description.c_str())));
}

int CDocumentDeviceGeneric1::GetPopupMenuEntryCount()
{
    return CDocumentDevice::GetPopupMenuEntryCount() + static_cast<int>(m_wizardCommands.count(m_type));
}

int CDocumentDeviceGeneric1::GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked)
{
    const int baseCount = CDocumentDevice::GetPopupMenuEntryCount();
    if (index < baseCount)
        return CDocumentDevice::GetPopupMenuEntry(index, text, enabled, checked);

    const auto commands = m_wizardCommands.equal_range(m_type);
    const UINT command = checked_next(commands.first, commands.second, index - baseCount)->second;
    text = UNKNOWN_ENTRY_TEXT;
    try {
        text = ToolsMenuCommandText(command).c_str();
    } catch (const std::runtime_error&) {
        // Without the menu the entry still works; it only lacks its proper text.
    }
    enabled = true;
    checked = false;
    return index;
}

int CDocumentDeviceGeneric1::OnPopupMenuCommand(int index)
{
    const int baseCount = CDocumentDevice::GetPopupMenuEntryCount();
    if (index < baseCount)
        return CDocumentDevice::OnPopupMenuCommand(index);

    try {
        const auto commands = m_wizardCommands.equal_range(m_type);
        const UINT command = checked_next(commands.first, commands.second, index - baseCount)->second;
        const boost::shared_ptr<CConnectionGeneric1> connection = GetGenericConnection();
        if (!connection)
            throw std::runtime_error("the device has no connection");
        const boost::shared_ptr<ModbusEndpoint_t> endpoint = connection->GetEndpoint();
        CWnd* mainWindow = AfxGetMainWnd();
        if (mainWindow == nullptr || mainWindow->m_hWnd == nullptr)
            throw std::runtime_error("there is no main window");
        // The main frame frees the copy; it stays ours only when the post fails.
        ModbusEndpoint_t* copy = new ModbusEndpoint_t(*endpoint);
        if (!PostMessageA(mainWindow->m_hWnd, WM_APP_RUN_COMMAND, command, reinterpret_cast<LPARAM>(copy))) {
            delete copy;
            throw std::runtime_error("the command could not be posted to the main window");
        }
    } catch (const std::exception& error) {
        AfxMessageBox((std::string("Error: unable to launch wizard:\n") + error.what()).c_str(),
                      MB_OK | MB_ICONSTOP);
    }
    return index;
}

bool CDocumentDeviceGeneric1::IsBusy()
{
    return CDocumentDevice::IsBusy() || (IsConnected() && !IsLogHandled());
}

void CDocumentDeviceGeneric1::ExpectConnectNotice()
{
    InterlockedIncrement(&m_pendingConnectNotices);
}

WORD CDocumentDeviceGeneric1::GetDeviceSet()
{
    return m_set;
}

void CDocumentDeviceGeneric1::ConfigureFromXml(const TiXmlElement& device, const std::string& name,
                                               int model, int type)
{
    GenericDeviceDescription_t description;
    ReadGenericDeviceDescription(device, name, model, type, description);
    ConfigureFromDescription(description);
}

void CDocumentDeviceGeneric1::ConfigureFromDescription(const GenericDeviceDescription_t& description)
{
    SetDefaultName(description.defaultName.c_str());
    m_set = static_cast<WORD>(description.set);
    m_model = static_cast<BYTE>(description.model);
    m_type = static_cast<BYTE>(description.type);
    m_skelderType = static_cast<BYTE>(description.skelderType);
    m_identities = description.identities;
    m_variables = description.variables;
    m_coils = description.coils;
    m_hardwareInfoDescriptions = description.hardwareInfo;
    m_loggedData = description.loggedData;

    const boost::shared_ptr<CConnectionGeneric1> connection = GetGenericConnection();
    if (!connection)
        return;
    connection->SetUnitId(description.defaultModbusAddr);
    for (const GenericVariable_t& variable : m_variables) {
        connection->AddPollRegister(variable.addressLow);
        if (variable.addressHigh >= 0)
            connection->AddPollRegister(variable.addressHigh);
    }
    for (int row = 0; row < m_configStore->GetEntryCount(); ++row)
        connection->AddConfigRegister(static_cast<int>(m_configStore->GetEntryConst(row)->registerAddress));
}

void CDocumentDeviceGeneric1::ConvertRegisterImage(const WORD* image, const BYTE* valid)
{
    const BYTE deviceId = static_cast<BYTE>(GetId());
    // The cycle's values go to the queues together: one lock and one wake for all.
    StorageBatch_t values;
    try {
        for (const GenericVariable_t& variable : m_variables) {
            if (variable.addressLow < 0 || variable.addressLow > 0xFFFF || variable.addressHigh > 0xFFFF)
                throw std::runtime_error("Modbus output register PDU address out of range");
            COleVariant value;
            // Any negative high address is a one-register value, so that no flag below the
            // image is read.
            if (variable.addressHigh < 0) {
                if (!valid[variable.addressLow])
                    continue;
                value = variable.RawToVariant16(image[variable.addressLow]);
            } else {
                if (!valid[variable.addressLow] || !valid[variable.addressHigh])
                    continue;
                const DWORD raw =
                    (static_cast<DWORD>(image[variable.addressHigh]) << 16) | image[variable.addressLow];
                value = variable.RawToVariant(static_cast<int>(raw));
            }
            values.push_back(CStoragePtr(new CPlotItemSimpleValue(deviceId, variable.id, value,
                                                                  variable.name.c_str(), variable.units.c_str())));
        }
    } catch (...) {
        // The values before a bad address still count.
        PostToManagerQueues(values);
        throw;
    }
    PostToManagerQueues(values);
}

int CDocumentDeviceGeneric1::ReadHourmeter()
{
    const GenericVariable_t* hourmeter = FindVariableByName(m_variables, HOURMETER_NAME);
    if (hourmeter == nullptr)
        throw std::runtime_error("unable to find Hourmeter variable for device");
    const boost::shared_ptr<CConnectionGeneric1> connection = GetGenericConnection();
    if (!connection)
        throw std::runtime_error("cannot read Modbus output register; device connection is not open");
    const DWORD raw = connection->ReadOutputValue(hourmeter->addressLow, hourmeter->addressHigh);
    const COleVariant value = hourmeter->RawToVariant(static_cast<int>(raw));
    bool ok = false;
    const int hours = VariantToInt(value, ok);
    if (ok)
        return hours;
    // A fractional scale gives a real; its hours still count.
    const double realHours = VariantToDouble(value, ok);
    if (!ok)
        throw std::runtime_error("the Hourmeter variable of the device is not a number");
    return static_cast<int>(realHours >= 0.0 ? std::trunc(realHours + 0.5) : std::trunc(realHours - 0.5));
}

const GenericVariable_t* CDocumentDeviceGeneric1::FindVariableById(int id) const
{
    for (const GenericVariable_t& variable : m_variables)
        if (variable.id == id)
            return &variable;
    return nullptr;
}

const GenericVariable_t* CDocumentDeviceGeneric1::FindAlarmsVariable() const
{
    return FindVariableByName(m_variables, "Alarms");
}

const GenericVariable_t* CDocumentDeviceGeneric1::FindFaultsVariable() const
{
    return FindVariableByName(m_variables, "Faults");
}

void CDocumentDeviceGeneric1::AddHardwareInfo(const std::string& name, const std::string& text)
{
    {
        CSingleLock lock(&m_deviceLock, TRUE);
        bool replaced = false;
        for (HardwareInfoPair_t& pair : m_hardwareInfo) {
            if (pair.first == name) {
                pair.second = text;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            m_hardwareInfo.push_back(HardwareInfoPair_t(name, text));
    }
    if (EqualsIgnoringCase(name, "Serial Number"))
        SetSerialText(text);
}

void CDocumentDeviceGeneric1::ClearHardwareInfo()
{
    {
        CSingleLock lock(&m_deviceLock, TRUE);
        m_hardwareInfo.clear();
    }
    SetSerialText(std::string());
}

HardwareInfoPairs_t CDocumentDeviceGeneric1::GetHardwareInfo()
{
    CSingleLock lock(&m_deviceLock, TRUE);
    return m_hardwareInfo;
}

void CDocumentDeviceGeneric1::SetFirmwareVersion(const std::string& text)
{
    CSingleLock lock(&m_deviceLock, TRUE);
    m_firmwareVersion = text;
}

std::string CDocumentDeviceGeneric1::GetFirmwareVersion()
{
    CSingleLock lock(&m_deviceLock, TRUE);
    return m_firmwareVersion;
}

void CDocumentDeviceGeneric1::ApplyEndpoint(const ModbusEndpoint_t& endpoint)
{
    const boost::shared_ptr<CConnectionGeneric1> connection = GetGenericConnection();
    if (!connection)
        return;
    if (endpoint.network) {
        connection->SetSerial(false);
        connection->SetHost(endpoint.host);
        connection->SetTcpPort(endpoint.port);
    } else {
        connection->SetHost(std::string());
        connection->SetSerial(true);
        connection->SetComPort(endpoint.port);
    }
    connection->SetUnitId(endpoint.unitId);
}

boost::shared_ptr<CConnectionGeneric1> CDocumentDeviceGeneric1::GetGenericConnection() const
{
    return boost::dynamic_pointer_cast<CConnectionGeneric1>(m_connection);
}

CPropertyPage* CDocumentDeviceGeneric1::CreatePropertyPage(int index)
{
    switch (index) {
    case 0:
        return new CPropPageGenericConnection(this);
    case 1:
        return new CPropPageGenericCoils(this);
    case 2:
        return new CPropPageDeviceGenericInfo(this);
    default:
        return CDocumentDevice::CreatePropertyPage(index);
    }
}

int CDocumentDeviceGeneric1::GetPropertyPageCount()
{
    return 3;
}

void CDocumentDeviceGeneric1::ShowDebugConsole()
{
    CDialogModbusDebug console(GetGenericConnection().get(), nullptr);
    console.DoModal();
}
