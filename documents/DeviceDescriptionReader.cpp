#include "documents/DeviceDescriptionReader.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "documents/FileHelpers.h"
#include "documents/GenericDeviceNotDescribed.h"
#include "documents/TextHelpers.h"

namespace {

const char* const KIND_ATTRIBUTE = "attribute";
const char* const HOURMETER = "Hourmeter";

bool EqualsIgnoringCase(const std::string& left, const std::string& right)
{
    return _stricmp(left.c_str(), right.c_str()) == 0;
}

// C integer with base 0, consumed to its end.
bool ParseInteger(const char* text, long long& value)
{
    if (text == nullptr || *text == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 0);
    return errno == 0 && end != text && *end == '\0';
}

bool ParseInt(const char* text, int& value)
{
    long long wide = 0;
    if (!ParseInteger(text, wide) || wide < INT_MIN || wide > INT_MAX)
        return false;
    value = static_cast<int>(wide);
    return true;
}

std::string ReadTextAttribute(const TiXmlElement& element, const std::string& path,
                              const char* name)
{
    const char* text = element.Attribute(name);
    if (text == nullptr)
        RaiseAttributeError(path, name, KIND_ATTRIBUTE);
    return text;
}

int ReadIntAttributeByText(const TiXmlElement& element, const std::string& path, const char* name)
{
    int value = 0;
    if (!ParseInt(element.Attribute(name), value))
        RaiseAttributeError(path, name, KIND_ATTRIBUTE);
    return value;
}

int QueryIntRequired(const TiXmlElement& element, const std::string& path, const char* name)
{
    int value = 0;
    if (element.QueryIntAttribute(name, &value) != TIXML_SUCCESS)
        RaiseAttributeError(path, name, KIND_ATTRIBUTE);
    return value;
}

// Absent keeps the fallback; present but not a number is an error.
int QueryIntOptional(const TiXmlElement& element, const std::string& path, const char* name,
                     int fallback)
{
    if (element.Attribute(name) == nullptr)
        return fallback;
    return QueryIntRequired(element, path, name);
}

double QueryDoubleRequired(const TiXmlElement& element, const std::string& path, const char* name)
{
    double value = 0.0;
    if (element.QueryDoubleAttribute(name, &value) != TIXML_SUCCESS)
        RaiseAttributeError(path, name, KIND_ATTRIBUTE);
    return value;
}

void ReadTranslation(const TiXmlElement& translation, const std::string& path,
                     GenericVariable_t& variable)
{
    const std::string translationPath = path + "-translation";
    const char* value = translation.Attribute("value");
    const char* text = translation.GetText();
    const std::string translated = text != nullptr ? text : "";
    variable.hasTranslations = true;
    if (value != nullptr && std::string(value) == "default") {
        variable.defaultTranslation = translated;
        return;
    }
    long long number = 0;
    if (!ParseInteger(value, number) || number < 0 || number > static_cast<long long>(UINT_MAX))
        RaiseAttributeError(translationPath, "value", KIND_ATTRIBUTE);
    variable.translations[static_cast<unsigned int>(number)] = translated;
}

void ReadSkelder(const TiXmlElement& skelder, const std::string& path, GenericVariable_t& variable)
{
    const std::string skelderPath = path + "-skelder";
    variable.skelderId = ReadIntAttribute(skelder, skelderPath, "id", 0, 255);
    variable.skelderScaling = QueryDoubleRequired(skelder, skelderPath, "scaling");
    variable.skelderFrameId = ReadIntAttribute(skelder, skelderPath, "frameid", 1, 255);
    variable.skelderFirstByte = ReadIntAttribute(skelder, skelderPath, "firstbyte", 0, 255);
    variable.skelderWidth = ReadIntAttribute(skelder, skelderPath, "width", 1, 32);
    variable.skelderBitLsb = ReadIntAttribute(skelder, skelderPath, "bitlsb", 0, 32);
    variable.skelderSigned = QueryIntRequired(skelder, skelderPath, "signed") != 0;
}

// basePath is the device name for device variables and the record's path for record fields.
GenericVariable_t ReadVariable(const TiXmlElement& element, const std::string& basePath,
                               bool addressesRequired)
{
    GenericVariable_t variable;
    const char* name = element.Attribute("name");
    if (name == nullptr)
        RaiseAttributeError(basePath + "-variable" + " attribute", "name", KIND_ATTRIBUTE);
    variable.name = name;
    const std::string path = basePath + "-variable" + "-" + variable.name;

    variable.id = QueryIntRequired(element, path, "id");
    variable.description = ReadTextAttribute(element, path, "description");
    variable.units = ReadTextAttribute(element, path, "units");
    variable.min = QueryDoubleRequired(element, path, "min");
    variable.max = QueryDoubleRequired(element, path, "max");
    variable.scaling = QueryDoubleRequired(element, path, "scaling");
    if (addressesRequired || element.Attribute("addressLow") != nullptr)
        variable.addressLow = ReadIntAttributeByText(element, path, "addressLow");
    if (addressesRequired || element.Attribute("addressHigh") != nullptr)
        variable.addressHigh = ReadIntAttributeByText(element, path, "addressHigh");
    variable.bitfield = QueryIntOptional(element, path, "bitfield", 0) != 0;
    if (element.Attribute("presentIf") != nullptr)
        variable.presentIf = ReadIntAttribute(element, path, "presentIf", INT_MIN, INT_MAX);
    if (element.Attribute("size") != nullptr)
        variable.size = ReadIntAttribute(element, path, "size", INT_MIN, INT_MAX);
    variable.invalidIfOutOfRange = QueryIntOptional(element, path, "invalidIfOutOfRange", 0) != 0;

    for (const TiXmlElement* translation = element.FirstChildElement("translation");
         translation != nullptr; translation = translation->NextSiblingElement("translation"))
        ReadTranslation(*translation, path, variable);

    const TiXmlElement* skelder = element.FirstChildElement("skelder");
    if (skelder != nullptr) {
        ReadSkelder(*skelder, path, variable);
        if (skelder->NextSiblingElement("skelder") != nullptr)
            RaiseAttributeError(path, "skelder", "element (too many of them)");
    }
    return variable;
}

GenericIdentity_t ReadIdentity(const TiXmlElement& element, const std::string& deviceName)
{
    GenericIdentity_t identity;
    const TiXmlElement* productCode = element.FirstChildElement("productCode");
    if (productCode == nullptr)
        RaiseAttributeError(deviceName + "-identity", "productCode", "child element");
    identity.productCode = productCode->GetText() != nullptr ? productCode->GetText() : "";

    const std::string registerPath = deviceName + "-identity-outputRegister";
    for (const TiXmlElement* output = element.FirstChildElement("outputRegister"); output != nullptr;
         output = output->NextSiblingElement("outputRegister")) {
        const int address = ReadIntAttributeByText(*output, registerPath, "address");
        int expected = 0;
        if (!ParseInt(output->GetText(), expected))
            RaiseAttributeError(registerPath, "expected value", "text");
        identity.outputRegisters[static_cast<unsigned short>(address)] = expected;
    }
    return identity;
}

GenericCoil_t ReadCoil(const TiXmlElement& element, const std::string& deviceName)
{
    GenericCoil_t coil;
    const char* name = element.Attribute("name");
    if (name == nullptr)
        RaiseAttributeError(deviceName + " coil", "name", KIND_ATTRIBUTE);
    coil.name = name;
    const std::string path = deviceName + "-" + coil.name;
    coil.address = ReadIntAttributeByText(element, path, "address");
    coil.writable = QueryIntRequired(element, path, "writable") != 0;
    coil.readable = QueryIntRequired(element, path, "readable") != 0;
    return coil;
}

GenericHardwareInfo_t ReadHardwareInfo(const TiXmlElement& element, const std::string& deviceName)
{
    static const char* const formats[] = { "ascii", "ip", "hexascii", "boolean" };
    GenericHardwareInfo_t info;
    const char* name = element.Attribute("name");
    if (name == nullptr)
        RaiseAttributeError(deviceName + " hardwareinfo", "name", KIND_ATTRIBUTE);
    info.name = name;
    const std::string path = deviceName + "-" + info.name;
    info.address = ReadIntAttributeByText(element, path, "address");
    info.width = ReadIntAttribute(element, path, "width", 1, 65535);
    const std::string format = ReadTextAttribute(element, path, "format");
    for (int code = 0; code < 4; ++code) {
        if (format == formats[code]) {
            info.format = code;
            return info;
        }
    }
    RaiseAttributeError(path, "format", KIND_ATTRIBUTE);
}

void ReadLoggedData(const TiXmlElement& element, const GenericDeviceDescription_t& description,
                    GenericLoggedData_t& logged)
{
    const std::string& deviceName = description.defaultName;
    const TiXmlElement* buffer = element.FirstChildElement("buffer");
    if (buffer == nullptr)
        RaiseAttributeError(deviceName + "-loggeddata", "buffer", "child element");
    const std::string bufferPath = deviceName + "-buffer";
    logged.bufferStart = QueryIntRequired(*buffer, bufferPath, "start");
    logged.bufferStop = QueryIntRequired(*buffer, bufferPath, "stop");
    logged.endPointerRegister = QueryIntOptional(*buffer, bufferPath, "endpointer", -1);

    const TiXmlElement* record = buffer->FirstChildElement("record");
    if (record == nullptr)
        RaiseAttributeError(bufferPath, "record", "child element");
    if (record->QueryIntAttribute("hourmeterDiscontinuityId", &logged.hourmeterDiscontinuityId)
        != TIXML_SUCCESS)
        RaiseAttributeError(deviceName, "loggeddata-record-hourmeterDiscontinuityId", KIND_ATTRIBUTE);
    const char* discontinuity = record->Attribute("hourmeterDiscontinuityValue");
    if (discontinuity == nullptr || *discontinuity == '\0')
        RaiseAttributeError(deviceName, "loggeddata-record-hourmeterDiscontinuityValue",
                            KIND_ATTRIBUTE);
    logged.hourmeterDiscontinuityValue = discontinuity;

    bool hasVariableList = false;
    bool conditional = false;
    const std::string recordPath = deviceName + "-loggeddata-buffer-record";
    for (const TiXmlElement* field = record->FirstChildElement("variable"); field != nullptr;
         field = field->NextSiblingElement("variable")) {
        GenericVariable_t variable = ReadVariable(*field, recordPath, false);
        if (logged.hourmeterVariableId < 0 && EqualsIgnoringCase(variable.name, HOURMETER))
            logged.hourmeterVariableId = variable.id;
        if (variable.name == "varlist")
            hasVariableList = true;
        if (variable.presentIf >= 0)
            conditional = true;
        logged.recordVariables.push_back(variable);
    }

    if (logged.endPointerRegister < 0 && conditional && !hasVariableList)
        throw std::runtime_error(deviceName + " loggeddata-buffer-record (fixed-length) uses "
                                 "presentIf, but no variable named \"varlist\"");
    if (logged.hourmeterVariableId < 0)
        throw std::runtime_error(deviceName + " loggeddata-buffer-record has no variable named \""
                                 + HOURMETER + "\"");
    bool deviceHasHourmeter = false;
    for (const GenericVariable_t& variable : description.variables)
        deviceHasHourmeter = deviceHasHourmeter || EqualsIgnoringCase(variable.name, HOURMETER);
    if (!deviceHasHourmeter)
        throw std::runtime_error(deviceName + " has no regular variable named \"" + HOURMETER + "\"");
}

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// Calls visit(element, name, model, type) for each matching device element until it returns false.
template <typename Visitor>
void ForEachMatchingDevice(const std::wstring& path, int model, int type, const char* product,
                           Visitor visit)
{
    TiXmlDocument document;
    if (!LoadXmlFileWide(document, path)) {
        const std::wstring text = L"unable to open device file " + path + L"\n"
            + Widen(document.ErrorDesc() != nullptr ? document.ErrorDesc() : "")
            + L" (row " + std::to_wstring(document.ErrorRow() + 1) + L", col "
            + std::to_wstring(document.ErrorCol() + 1) + L")";
        throw std::runtime_error(WideToNarrow(text));
    }
    const TiXmlElement* root = document.RootElement();
    if (root == nullptr)
        throw std::runtime_error("missing root element in XML");

    for (const TiXmlElement* device = root->FirstChildElement("device"); device != nullptr;
         device = device->NextSiblingElement("device")) {
        const char* name = device->Attribute("name");
        if (name == nullptr)
            throw std::runtime_error("device missing 'name' attribute");
        const int deviceModel = QueryIntRequired(*device, name, "model");
        const int deviceType = QueryIntRequired(*device, name, "type");
        if (!(type < 0 || model < 0 || (deviceType == type && deviceModel == model)))
            continue;
        if (product != nullptr) {
            bool productMatches = false;
            for (const TiXmlElement* identity = device->FirstChildElement("identity");
                 identity != nullptr; identity = identity->NextSiblingElement("identity"))
                for (const TiXmlElement* code = identity->FirstChildElement("productCode");
                     code != nullptr; code = code->NextSiblingElement("productCode"))
                    if (code->GetText() != nullptr && std::string(code->GetText()) == product)
                        productMatches = true;
            if (!productMatches)
                continue;
        }
        if (!visit(*device, std::string(name), deviceModel, deviceType))
            return;
    }
}

} // namespace

void RaiseAttributeError(const std::string& elementPath, const std::string& itemName,
                         const std::string& kind)
{
    throw std::runtime_error(elementPath + " has bad/missing '" + itemName + "' " + kind);
}

int ReadIntAttribute(const TiXmlElement& element, const std::string& elementPath,
                     const std::string& name, int minimum, int maximum)
{
    int value = 0;
    if (element.QueryIntAttribute(name.c_str(), &value) != TIXML_SUCCESS)
        RaiseAttributeError(elementPath, name, KIND_ATTRIBUTE);
    if (value < minimum)
        RaiseAttributeError(elementPath, name, "attribute (too small)");
    if (value > maximum)
        RaiseAttributeError(elementPath, name, "attribute (too large)");
    return value;
}

void ReadGenericDeviceDescription(const TiXmlElement& device, const std::string& name, int model,
                                  int type, GenericDeviceDescription_t& description)
{
    description.defaultName = name;
    description.set = QueryIntRequired(device, name, "set");
    description.model = model;
    description.type = type;
    description.defaultModbusAddr = QueryIntRequired(device, name, "defaultModbusAddr");
    const int skelderType = QueryIntRequired(device, name, "skelderType");
    if (static_cast<unsigned int>(skelderType) > 255u)   // a negative value fails too
        RaiseAttributeError(name, "skelderType", KIND_ATTRIBUTE);
    description.skelderType = skelderType;

    description.identities.clear();
    for (const TiXmlElement* identity = device.FirstChildElement("identity"); identity != nullptr;
         identity = identity->NextSiblingElement("identity"))
        description.identities.push_back(ReadIdentity(*identity, name));

    for (const TiXmlElement* variable = device.FirstChildElement("variable"); variable != nullptr;
         variable = variable->NextSiblingElement("variable"))
        description.variables.push_back(ReadVariable(*variable, name, true));

    for (const TiXmlElement* coil = device.FirstChildElement("coil"); coil != nullptr;
         coil = coil->NextSiblingElement("coil"))
        description.coils.push_back(ReadCoil(*coil, name));

    for (const TiXmlElement* info = device.FirstChildElement("hardwareinfo"); info != nullptr;
         info = info->NextSiblingElement("hardwareinfo"))
        description.hardwareInfo.push_back(ReadHardwareInfo(*info, name));

    description.loggedData = GenericLoggedData_t();
    const TiXmlElement* loggedData = device.FirstChildElement("loggeddata");
    if (loggedData != nullptr)
        ReadLoggedData(*loggedData, description, description.loggedData);
}

std::vector<GenericDeviceDescription_t> LoadGenericDeviceDescriptions(const std::wstring& path,
                                                                      int model, int type,
                                                                      const char* product)
{
    std::vector<GenericDeviceDescription_t> descriptions;
    ForEachMatchingDevice(path, model, type, product,
        [&](const TiXmlElement& device, const std::string& name, int deviceModel, int deviceType) {
            GenericDeviceDescription_t description;
            ReadGenericDeviceDescription(device, name, deviceModel, deviceType, description);
            descriptions.push_back(description);
            return true;
        });
    return descriptions;
}

GenericDeviceDescription_t LoadFirstGenericDeviceDescription(const std::wstring& path, int model,
                                                             int type, const char* product)
{
    GenericDeviceDescription_t description;
    bool found = false;
    ForEachMatchingDevice(path, model, type, product,
        [&](const TiXmlElement& device, const std::string& name, int deviceModel, int deviceType) {
            ReadGenericDeviceDescription(device, name, deviceModel, deviceType, description);
            found = true;
            return false;
        });
    if (!found)
        throw GenericDeviceNotDescribed("could not find type " + std::to_string(type) + ", model "
                                 + std::to_string(model) + " in " + WideToNarrow(path));
    return description;
}
