#include "wizards/varnix/MpptProgrammingContext.h"

#include "documents/RegistryHelpers.h"
#include "wizards/framework/CRelayProgContext.h"
#include "wizards/framework/WizardConnection.h"
#include "wizards/varnix/MpptSettingTable.h"

boost::shared_ptr<ModbusEndpoint_t> MakeLastUsedEndpoint()
{
    boost::shared_ptr<ModbusEndpoint_t> endpoint(new ModbusEndpoint_t);
    endpoint->unitId = static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceModbusAddr", 1));
    const int comPort = static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceComPort", 1));
    endpoint->network = comPort <= 0;
    endpoint->port = endpoint->network
                         ? static_cast<int>(ReadRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", 502))
                         : comPort;
    endpoint->host = ReadRegistryString(WIZARD_REGISTRY_KEY, "LastUsedDeviceIp", DEFAULT_DEVICE_IP);
    return endpoint;
}

CWizardProgrammingContextPtr MakeMpptProgrammingContext(const boost::shared_ptr<ModbusEndpoint_t>& device,
                                                        bool isRead)
{
    const boost::shared_ptr<ModbusEndpoint_t> endpoint = device ? device : MakeLastUsedEndpoint();
    CWizardProgrammingContextPtr context(new CWizardProgrammingContext(endpoint.get()));
    context->deviceText = "Varnix MPPT";
    context->isRead = isRead;
    context->optionalFailureText = isRead ? "The control appears to be a VX-MPPT-45; 60-amp settings not read."
                                          : "The control appears to be a VX-MPPT-45; 60-amp settings not written.";
    return context;
}

MpptSettingIdSet_t MpptSettingsNotRead(const CWizardProgrammingContext& context)
{
    MpptSettingIdSet_t ids;
    for (const auto& entry : context.optionalVariables)
        if (!entry.second.second)
            ids.insert(entry.first);
    return ids;
}

void CorrectMpptReadResult(CVarnixMpptSettings& settings)
{
    for (int id : {MPPT_SETTING_ARRAY_FIXED_TARGET, MPPT_SETTING_ARRAY_PERCENT_VOC})
        if (settings.GetVariable(id)->AllRegistersFFFF())
            settings.GetVariable(id)->FromString("0");
}
