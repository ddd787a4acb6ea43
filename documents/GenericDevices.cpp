#include "documents/GenericDevices.h"

#include "framework/CWordArray.h"
#include "documents/CDocumentManager.h"
#include "documents/DeviceDescriptionReader.h"
#include "documents/GenericDeviceNotDescribed.h"
#include "documents/TextHelpers.h"
#include "modbus/SharedLinks.h"
#include "shell/ProgramFolders.h"

#include <map>
#include <stdexcept>

namespace {

std::runtime_error LoadFailure(const char* prefix, const std::wstring& path, const std::exception& reason)
{
    return std::runtime_error(prefix + WideToNarrow(path) + "\n(" + reason.what() + ")");
}

boost::shared_ptr<CSharedModbus> OpenEndpointLink(const ModbusEndpoint_t& endpoint)
{
    try {
        if (endpoint.network)
            return OpenSharedModbusTcp(endpoint.host.c_str(), endpoint.port);
        return OpenSharedModbusSerial(endpoint.port);
    } catch (const std::exception&) {
        const std::string place = endpoint.network ? endpoint.host + ":" + std::to_string(endpoint.port)
                                                   : "COM" + std::to_string(endpoint.port);
        throw std::runtime_error("unable to connect to " + place + " to determine hardware details");
    }
}

// The first candidate with an identity of the product whose every expected register value
// was read back. Only identities of the found product count: another product's identity
// without registers would otherwise match anything.
CDocumentDeviceGeneric1Ptr ChooseByOutputRegisters(const GenericDeviceList_t& candidates,
                                                   const ModbusEndpoint_t& endpoint, const char* product)
{
    std::map<unsigned short, int> values;
    for (const CDocumentDeviceGeneric1Ptr& candidate : candidates)
        for (const GenericIdentity_t& identity : candidate->GetIdentities())
            for (const auto& expected : identity.outputRegisters)
                values[expected.first] = -1;

    const boost::shared_ptr<CSharedModbus> link = OpenEndpointLink(endpoint);
    for (auto& entry : values) {
        CWordArray words;
        if (link->m_link->ReadHoldingRegisters(endpoint.unitId, entry.first, 1, words) == 0 && words.GetSize() == 1)
            entry.second = words[0];
    }

    for (const CDocumentDeviceGeneric1Ptr& candidate : candidates) {
        for (const GenericIdentity_t& identity : candidate->GetIdentities()) {
            if (product != nullptr && identity.productCode != product)
                continue;
            bool allEqual = true;
            for (const auto& expected : identity.outputRegisters)
                allEqual = allEqual && values[expected.first] == expected.second;
            if (allEqual)
                return candidate;
        }
    }
    return CDocumentDeviceGeneric1Ptr();
}

} // namespace

GenericDeviceList_t LoadGenericDevices(const std::wstring& path, CDocumentManager* manager, int model,
                                       int type, CDocumentDeviceGeneric1* target, const char* product)
{
    GenericDeviceList_t devices;
    if (target != nullptr) {
        target->ConfigureFromDescription(LoadFirstGenericDeviceDescription(path, model, type, product));
        return devices;
    }
    for (const GenericDeviceDescription_t& description : LoadGenericDeviceDescriptions(path, model, type, product)) {
        CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(
            static_cast<BYTE>(description.model), static_cast<BYTE>(description.type), SKELDER_TYPE_NONE, manager));
        device->ConfigureFromDescription(description);
        devices.push_back(device);
    }
    return devices;
}

CDocumentDeviceGeneric1Ptr CreateGenericDeviceFromXml(int model, int type)
{
    const std::wstring path = GetProgramFolders().GetDevicesXmlPath();
    try {
        CDocumentDeviceGeneric1Ptr device(new CDocumentDeviceGeneric1(
            static_cast<BYTE>(model), static_cast<BYTE>(type), SKELDER_TYPE_NONE,
            CDocumentManager::GetApplicationManager()));
        LoadGenericDevices(path, CDocumentManager::GetApplicationManager(), model, type, device.get(), nullptr);
        return device;
    } catch (const GenericDeviceNotDescribed& error) {
        throw GenericDeviceNotDescribed(LoadFailure("Error: unable to load devices from ", path, error).what());
    } catch (const std::exception& error) {
        throw LoadFailure("Error: unable to load devices from ", path, error);
    }
}

CDocumentDeviceGeneric1Ptr IdentifyGenericDevice(const ModbusEndpoint_t& endpoint, const char* product)
{
    const std::wstring path = GetProgramFolders().GetDevicesXmlPath();
    GenericDeviceList_t candidates;
    try {
        candidates = LoadGenericDevices(path, CDocumentManager::GetApplicationManager(), -1, -1, nullptr, product);
    } catch (const std::exception& error) {
        throw LoadFailure("unable to load devices from ", path, error);
    }

    CDocumentDeviceGeneric1Ptr chosen;
    if (candidates.size() == 1)
        chosen = candidates.front();
    else if (candidates.size() > 1)
        chosen = ChooseByOutputRegisters(candidates, endpoint, product);
    if (chosen)
        chosen->ApplyEndpoint(endpoint);
    return chosen;
}
