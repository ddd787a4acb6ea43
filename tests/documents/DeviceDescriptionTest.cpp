#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "documents/DeviceDescriptionReader.h"
#include "tests/support/TestPaths.h"

namespace {

const char* const DEVICE_ATTRIBUTES =
    "name=\"X\" model=\"1\" type=\"2\" set=\"3\" defaultModbusAddr=\"4\" skelderType=\"5\"";
const char* const HOURMETER_VARIABLE =
    "<variable name=\"Hourmeter\" id=\"9\" description=\"hours\" units=\"h\" min=\"0\" max=\"1e6\""
    " scaling=\"1\" addressLow=\"0x10\" addressHigh=\"0x11\"/>";

std::string Device(const std::string& attributes, const std::string& body)
{
    return "<device " + attributes + ">" + body + "</device>";
}

std::string Device(const std::string& body)
{
    return Device(DEVICE_ATTRIBUTES, body);
}

std::string Root(const std::string& devices)
{
    return "<?xml version=\"1.0\"?>\n<devices>" + devices + "</devices>\n";
}

// A record layout around the given record fields; the device has its hour meter.
std::string WithLog(const std::string& bufferAttributes, const std::string& recordAttributes,
                    const std::string& fields)
{
    return Device(std::string(HOURMETER_VARIABLE) + "<loggeddata><buffer " + bufferAttributes
                  + "><record " + recordAttributes + ">" + fields
                  + "</record></buffer></loggeddata>");
}

class DeviceDescription : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string folder = testing_support::BuildPath("tests/documents");
        ASSERT_TRUE(testing_support::EnsureDirectory(folder));
        const std::string path =
            folder + "\\device-description-" + testing_support::ProcessTag() + ".xml";
        m_path = std::wstring(path.begin(), path.end());
    }
    void TearDown() override { DeleteFileW(m_path.c_str()); }

    void Write(const std::string& content) const
    {
        FILE* stream = _wfopen(m_path.c_str(), L"wb");
        ASSERT_NE(nullptr, stream);
        fwrite(content.data(), 1, content.size(), stream);
        fclose(stream);
    }

    std::vector<GenericDeviceDescription_t> LoadAll(const char* product = nullptr) const
    {
        return LoadGenericDeviceDescriptions(m_path, -1, -1, product);
    }

    // The text of the error that loading the file gives, or "" when it loads.
    std::string ErrorOf(const std::string& content)
    {
        Write(content);
        try {
            LoadAll();
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "";
    }

    std::string DeviceErrorOf(const std::string& body) { return ErrorOf(Root(Device(body))); }

    std::wstring m_path;
};

TEST_F(DeviceDescription, ReadsEveryElementAndAttribute)
{
    Write(Root(Device(
        "<identity><productCode>VX-1</productCode><productCode>ignored</productCode>"
        "  <outputRegister address=\"0x20\">7</outputRegister>"
        "  <outputRegister address=\"33\">-0x2</outputRegister>"
        "  <outputRegister address=\"0x20\">8</outputRegister></identity>"
        "<identity><productCode>VX-2</productCode></identity>"
        "<variable name=\"Mode\" id=\"12\" description=\"Operating mode\" units=\"\" min=\"-10\""
        " max=\"100.5\" scaling=\"0.1\" addressLow=\"010\" addressHigh=\"-1\" bitfield=\"1\""
        " presentIf=\"-7\" size=\"12\" invalidIfOutOfRange=\"2\">"
        "  <translation value=\"1\">A</translation><translation value=\"0x10\">B</translation>"
        "  <translation value=\"1\">A2</translation><translation value=\"default\">none</translation>"
        "  <skelder id=\"255\" scaling=\"0.25\" frameid=\"1\" firstbyte=\"0\" width=\"32\""
        "   bitlsb=\"32\" signed=\"1\"/></variable>"
        + std::string(HOURMETER_VARIABLE)
        + "<coil name=\"Pump\" address=\"0x5\" writable=\"1\" readable=\"0\"/>"
          "<coil name=\"Fan\" address=\"6\" writable=\"0\" readable=\"3\"/>"
          "<hardwareinfo name=\"Serial Number\" address=\"0xE0\" width=\"4\" format=\"ascii\"/>"
          "<hardwareinfo name=\"IP\" address=\"1\" width=\"2\" format=\"ip\"/>"
          "<hardwareinfo name=\"MAC\" address=\"2\" width=\"3\" format=\"hexascii\"/>"
          "<hardwareinfo name=\"Flag\" address=\"3\" width=\"65535\" format=\"boolean\"/>"
          "<loggeddata><buffer start=\"32768\" stop=\"-3\" endpointer=\"32767\">"
          "<record hourmeterDiscontinuityId=\"99\" hourmeterDiscontinuityValue=\"jump\">"
          "<variable name=\"varlist\" id=\"1\" description=\"d\" units=\"u\" min=\"0\" max=\"1\""
          " scaling=\"1\"/>"
          "<variable name=\"HOURMETER\" id=\"2\" description=\"d\" units=\"h\" min=\"0\" max=\"1\""
          " scaling=\"1\" addressLow=\"4\" presentIf=\"0\"/>"
          "<variable name=\"hourmeter\" id=\"3\" description=\"d\" units=\"h\" min=\"0\" max=\"1\""
          " scaling=\"1\"/>"
          "</record></buffer></loggeddata>"
          "<loggeddata><buffer start=\"1\" stop=\"2\"/></loggeddata>")));

    const std::vector<GenericDeviceDescription_t> devices = LoadAll();
    ASSERT_EQ(1u, devices.size());
    const GenericDeviceDescription_t& device = devices[0];
    EXPECT_EQ("X", device.defaultName);
    EXPECT_EQ(1, device.model);
    EXPECT_EQ(2, device.type);
    EXPECT_EQ(3, device.set);
    EXPECT_EQ(4, device.defaultModbusAddr);
    EXPECT_EQ(5, device.skelderType);

    ASSERT_EQ(2u, device.identities.size());
    EXPECT_EQ("VX-1", device.identities[0].productCode);
    const std::map<unsigned short, int> registers = {{0x20, 8}, {33, -2}};
    EXPECT_EQ(registers, device.identities[0].outputRegisters);
    EXPECT_EQ("VX-2", device.identities[1].productCode);
    EXPECT_TRUE(device.identities[1].outputRegisters.empty());

    ASSERT_EQ(2u, device.variables.size());
    const GenericVariable_t& mode = device.variables[0];
    EXPECT_EQ(12, mode.id);
    EXPECT_EQ(8, mode.addressLow);   // leading 0 is octal
    EXPECT_EQ(-1, mode.addressHigh);
    EXPECT_EQ("Mode", mode.name);
    EXPECT_EQ("Operating mode", mode.description);
    EXPECT_EQ("", mode.units);
    EXPECT_DOUBLE_EQ(0.1, mode.scaling);
    EXPECT_DOUBLE_EQ(-10.0, mode.min);
    EXPECT_DOUBLE_EQ(100.5, mode.max);
    EXPECT_TRUE(mode.hasTranslations);
    EXPECT_TRUE(mode.bitfield);
    const std::map<unsigned int, std::string> translations = {{1, "A2"}, {16, "B"}};
    EXPECT_EQ(translations, mode.translations);
    EXPECT_EQ("none", mode.defaultTranslation);
    EXPECT_EQ(-7, mode.presentIf);
    EXPECT_EQ(12, mode.size);
    EXPECT_TRUE(mode.invalidIfOutOfRange);
    EXPECT_EQ(255, mode.skelderId);
    EXPECT_DOUBLE_EQ(0.25, mode.skelderScaling);
    EXPECT_EQ(1, mode.skelderFrameId);
    EXPECT_EQ(0, mode.skelderFirstByte);
    EXPECT_EQ(32, mode.skelderWidth);
    EXPECT_EQ(32, mode.skelderBitLsb);
    EXPECT_TRUE(mode.skelderSigned);
    EXPECT_EQ(16, device.variables[1].addressLow);
    EXPECT_EQ(17, device.variables[1].addressHigh);

    ASSERT_EQ(2u, device.coils.size());
    EXPECT_EQ("Pump", device.coils[0].name);
    EXPECT_EQ(5, device.coils[0].address);
    EXPECT_TRUE(device.coils[0].writable);
    EXPECT_FALSE(device.coils[0].readable);
    EXPECT_EQ("Fan", device.coils[1].name);
    EXPECT_FALSE(device.coils[1].writable);
    EXPECT_TRUE(device.coils[1].readable);

    ASSERT_EQ(4u, device.hardwareInfo.size());
    EXPECT_EQ("Serial Number", device.hardwareInfo[0].name);
    EXPECT_EQ(0xE0, device.hardwareInfo[0].address);
    EXPECT_EQ(4, device.hardwareInfo[0].width);
    EXPECT_EQ(GenericHardwareInfo_t::FORMAT_ASCII, device.hardwareInfo[0].format);
    EXPECT_EQ(GenericHardwareInfo_t::FORMAT_IP, device.hardwareInfo[1].format);
    EXPECT_EQ(GenericHardwareInfo_t::FORMAT_HEXASCII, device.hardwareInfo[2].format);
    EXPECT_EQ(GenericHardwareInfo_t::FORMAT_BOOLEAN, device.hardwareInfo[3].format);
    EXPECT_EQ(65535, device.hardwareInfo[3].width);

    // Only the first loggeddata counts.
    const GenericLoggedData_t& log = device.loggedData;
    EXPECT_EQ(0x8000, log.bufferStart);
    EXPECT_EQ(-3, log.bufferStop);
    EXPECT_EQ(0x7FFF, log.endPointerRegister);
    EXPECT_EQ(99, log.hourmeterDiscontinuityId);
    EXPECT_EQ("jump", log.hourmeterDiscontinuityValue);
    ASSERT_EQ(3u, log.recordVariables.size());
    EXPECT_EQ("varlist", log.recordVariables[0].name);
    EXPECT_EQ(-1, log.recordVariables[0].addressLow);
    EXPECT_EQ(4, log.recordVariables[1].addressLow);
    EXPECT_EQ(-1, log.recordVariables[1].addressHigh);
    EXPECT_EQ(2, log.hourmeterVariableId);   // the first match, case ignored
}

TEST_F(DeviceDescription, UnsetValuesKeepTheirDefaults)
{
    Write(Root(Device("<variable name=\"V\" id=\"1\" description=\"d\" units=\"u\" min=\"0\""
                      " max=\"1\" scaling=\"1\" addressLow=\"2\" addressHigh=\"3\"/>")
               + WithLog("start=\"0\" stop=\"9\"", "hourmeterDiscontinuityId=\"1\""
                         " hourmeterDiscontinuityValue=\"j\"",
                         "<variable name=\"Hourmeter\" id=\"4\" description=\"d\" units=\"h\""
                         " min=\"0\" max=\"1\" scaling=\"1\"/>")));
    const std::vector<GenericDeviceDescription_t> devices = LoadAll();
    ASSERT_EQ(2u, devices.size());

    const GenericVariable_t& variable = devices[0].variables.at(0);
    EXPECT_FALSE(variable.hasTranslations);
    EXPECT_FALSE(variable.bitfield);
    EXPECT_TRUE(variable.translations.empty());
    EXPECT_EQ("", variable.defaultTranslation);
    EXPECT_EQ(-1, variable.presentIf);
    EXPECT_EQ(-1, variable.size);
    EXPECT_FALSE(variable.invalidIfOutOfRange);
    EXPECT_EQ(-1, variable.skelderId);
    EXPECT_DOUBLE_EQ(0.0, variable.skelderScaling);
    EXPECT_EQ(0, variable.skelderFrameId);
    EXPECT_EQ(0, variable.skelderWidth);
    EXPECT_FALSE(variable.skelderSigned);
    EXPECT_TRUE(devices[0].identities.empty());
    EXPECT_TRUE(devices[0].coils.empty());
    EXPECT_TRUE(devices[0].hardwareInfo.empty());
    EXPECT_EQ(-1, devices[0].loggedData.bufferStart);

    // Fixed-length records: no end pointer.
    EXPECT_EQ(-1, devices[1].loggedData.endPointerRegister);
    EXPECT_EQ(4, devices[1].loggedData.hourmeterVariableId);
    EXPECT_EQ(-1, devices[1].loggedData.recordVariables.at(0).addressHigh);
}

TEST_F(DeviceDescription, DeviceAttributeErrors)
{
    EXPECT_EQ("device missing 'name' attribute",
              ErrorOf(Root(Device("model=\"1\" type=\"2\"", ""))));
    EXPECT_EQ("X has bad/missing 'model' attribute",
              ErrorOf(Root(Device("name=\"X\" model=\"m\" type=\"2\"", ""))));
    EXPECT_EQ("X has bad/missing 'type' attribute", ErrorOf(Root(Device("name=\"X\" model=\"1\"", ""))));
    EXPECT_EQ("X has bad/missing 'set' attribute",
              ErrorOf(Root(Device("name=\"X\" model=\"1\" type=\"2\"", ""))));
    EXPECT_EQ("X has bad/missing 'defaultModbusAddr' attribute",
              ErrorOf(Root(Device("name=\"X\" model=\"1\" type=\"2\" set=\"1\"", ""))));
    const std::string base = "name=\"X\" model=\"1\" type=\"2\" set=\"1\" defaultModbusAddr=\"1\"";
    EXPECT_EQ("X has bad/missing 'skelderType' attribute", ErrorOf(Root(Device(base, ""))));
    EXPECT_EQ("X has bad/missing 'skelderType' attribute",
              ErrorOf(Root(Device(base + " skelderType=\"-1\"", ""))));
    EXPECT_EQ("X has bad/missing 'skelderType' attribute",
              ErrorOf(Root(Device(base + " skelderType=\"256\"", ""))));
    EXPECT_EQ("", ErrorOf(Root(Device(base + " skelderType=\"255\"", ""))));
}

TEST_F(DeviceDescription, IdentityCoilAndHardwareInfoErrors)
{
    EXPECT_EQ("X-identity has bad/missing 'productCode' child element",
              DeviceErrorOf("<identity/>"));
    EXPECT_EQ("X-identity-outputRegister has bad/missing 'address' attribute",
              DeviceErrorOf("<identity><productCode>p</productCode>"
                            "<outputRegister address=\"1x\">1</outputRegister></identity>"));
    EXPECT_EQ("X-identity-outputRegister has bad/missing 'expected value' text",
              DeviceErrorOf("<identity><productCode>p</productCode>"
                            "<outputRegister address=\"1\"></outputRegister></identity>"));
    EXPECT_EQ("X coil has bad/missing 'name' attribute", DeviceErrorOf("<coil address=\"1\"/>"));
    EXPECT_EQ("X-Pump has bad/missing 'address' attribute",
              DeviceErrorOf("<coil name=\"Pump\" writable=\"1\" readable=\"1\"/>"));
    EXPECT_EQ("X-Pump has bad/missing 'readable' attribute",
              DeviceErrorOf("<coil name=\"Pump\" address=\"1\" writable=\"1\"/>"));
    EXPECT_EQ("X hardwareinfo has bad/missing 'name' attribute",
              DeviceErrorOf("<hardwareinfo address=\"1\"/>"));
    EXPECT_EQ("X-SN has bad/missing 'width' attribute (too small)",
              DeviceErrorOf("<hardwareinfo name=\"SN\" address=\"1\" width=\"0\" format=\"ip\"/>"));
    EXPECT_EQ("X-SN has bad/missing 'width' attribute (too large)",
              DeviceErrorOf("<hardwareinfo name=\"SN\" address=\"1\" width=\"65536\" format=\"ip\"/>"));
    EXPECT_EQ("X-SN has bad/missing 'format' attribute",
              DeviceErrorOf("<hardwareinfo name=\"SN\" address=\"1\" width=\"2\" format=\"ASCII\"/>"));
    EXPECT_EQ("X-SN has bad/missing 'format' attribute",
              DeviceErrorOf("<hardwareinfo name=\"SN\" address=\"1\" width=\"2\"/>"));
}

TEST_F(DeviceDescription, VariableErrorsInReadingOrder)
{
    EXPECT_EQ("X-variable attribute has bad/missing 'name' attribute",
              DeviceErrorOf("<variable id=\"1\"/>"));
    // Each step adds the attribute the previous one missed.
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"", "id"}, {" id=\"1\"", "description"}, {" description=\"d\"", "units"},
        {" units=\"u\"", "min"}, {" min=\"-1\"", "max"}, {" max=\"1\"", "scaling"},
        {" scaling=\"0.5\"", "addressLow"}, {" addressLow=\"1\"", "addressHigh"}};
    std::string attributes;
    for (const auto& step : steps) {
        attributes += step.first;
        EXPECT_EQ("X-variable-V has bad/missing '" + step.second + "' attribute",
                  DeviceErrorOf("<variable name=\"V\"" + attributes + "/>"));
    }
    const std::string valid = "<variable name=\"V\"" + attributes + " addressHigh=\"-1\"";
    EXPECT_EQ("", DeviceErrorOf(valid + "/>"));
    EXPECT_EQ("X-variable-V has bad/missing 'bitfield' attribute",
              DeviceErrorOf(valid + " bitfield=\"yes\"/>"));
    EXPECT_EQ("X-variable-V has bad/missing 'presentIf' attribute",
              DeviceErrorOf(valid + " presentIf=\"p\"/>"));
    EXPECT_EQ("X-variable-V has bad/missing 'size' attribute",
              DeviceErrorOf(valid + " size=\"\"/>"));
    EXPECT_EQ("X-variable-V has bad/missing 'invalidIfOutOfRange' attribute",
              DeviceErrorOf(valid + " invalidIfOutOfRange=\"x\"/>"));
    EXPECT_EQ("X-variable-V-translation has bad/missing 'value' attribute",
              DeviceErrorOf(valid + "><translation>t</translation></variable>"));
    EXPECT_EQ("X-variable-V-translation has bad/missing 'value' attribute",
              DeviceErrorOf(valid + "><translation value=\"-1\">t</translation></variable>"));
    EXPECT_EQ("X-variable-V-translation has bad/missing 'value' attribute",
              DeviceErrorOf(valid + "><translation value=\"Default\">t</translation></variable>"));
}

TEST_F(DeviceDescription, SkelderErrors)
{
    const std::string variable = "<variable name=\"V\" id=\"1\" description=\"d\" units=\"u\""
                                 " min=\"0\" max=\"1\" scaling=\"1\" addressLow=\"1\" addressHigh=\"-1\">";
    const std::string good = "id=\"0\" scaling=\"1\" frameid=\"1\" firstbyte=\"0\" width=\"1\""
                             " bitlsb=\"0\" signed=\"0\"";
    auto errorWith = [&](const std::string& skelders) {
        return DeviceErrorOf(variable + skelders + "</variable>");
    };
    EXPECT_EQ("", errorWith("<skelder " + good + "/>"));
    EXPECT_EQ("X-variable-V has bad/missing 'skelder' element (too many of them)",
              errorWith("<skelder " + good + "/><skelder " + good + "/>"));
    EXPECT_EQ("X-variable-V-skelder has bad/missing 'id' attribute (too large)",
              errorWith("<skelder id=\"256\"/>"));
    EXPECT_EQ("X-variable-V-skelder has bad/missing 'scaling' attribute",
              errorWith("<skelder id=\"0\"/>"));
    EXPECT_EQ("X-variable-V-skelder has bad/missing 'frameid' attribute (too small)",
              errorWith("<skelder id=\"0\" scaling=\"1\" frameid=\"0\"/>"));
    EXPECT_EQ("X-variable-V-skelder has bad/missing 'firstbyte' attribute",
              errorWith("<skelder id=\"0\" scaling=\"1\" frameid=\"1\"/>"));
    EXPECT_EQ("X-variable-V-skelder has bad/missing 'width' attribute (too small)",
              errorWith("<skelder id=\"0\" scaling=\"1\" frameid=\"1\" firstbyte=\"0\" width=\"0\"/>"));
    EXPECT_EQ("X-variable-V-skelder has bad/missing 'bitlsb' attribute (too large)",
              errorWith("<skelder id=\"0\" scaling=\"1\" frameid=\"1\" firstbyte=\"0\" width=\"1\""
                        " bitlsb=\"33\"/>"));
    EXPECT_EQ("X-variable-V-skelder has bad/missing 'signed' attribute",
              errorWith("<skelder id=\"0\" scaling=\"1\" frameid=\"1\" firstbyte=\"0\" width=\"1\""
                        " bitlsb=\"0\"/>"));
}

TEST_F(DeviceDescription, LoggedDataErrors)
{
    const std::string record = "hourmeterDiscontinuityId=\"1\" hourmeterDiscontinuityValue=\"j\"";
    const std::string hourmeterField = "<variable name=\"Hourmeter\" id=\"4\" description=\"d\""
                                       " units=\"h\" min=\"0\" max=\"1\" scaling=\"1\"/>";
    EXPECT_EQ("X-buffer has bad/missing 'stop' attribute",
              ErrorOf(Root(WithLog("start=\"0\"", record, hourmeterField))));
    EXPECT_EQ("X-buffer has bad/missing 'endpointer' attribute",
              ErrorOf(Root(WithLog("start=\"0\" stop=\"1\" endpointer=\"e\"", record, hourmeterField))));
    EXPECT_EQ("X has bad/missing 'loggeddata-record-hourmeterDiscontinuityId' attribute",
              ErrorOf(Root(WithLog("start=\"0\" stop=\"1\"", "", hourmeterField))));
    EXPECT_EQ("X has bad/missing 'loggeddata-record-hourmeterDiscontinuityValue' attribute",
              ErrorOf(Root(WithLog("start=\"0\" stop=\"1\"",
                                   "hourmeterDiscontinuityId=\"1\" hourmeterDiscontinuityValue=\"\"",
                                   hourmeterField))));
    EXPECT_EQ("X-loggeddata-buffer-record-variable-F has bad/missing 'units' attribute",
              ErrorOf(Root(WithLog("start=\"0\" stop=\"1\"", record,
                                   "<variable name=\"F\" id=\"1\" description=\"d\"/>"))));
    EXPECT_EQ("X loggeddata-buffer-record has no variable named \"Hourmeter\"",
              ErrorOf(Root(WithLog("start=\"0\" stop=\"1\"", record, ""))));

    const std::string conditionalField = "<variable name=\"C\" id=\"5\" description=\"d\""
                                         " units=\"\" min=\"0\" max=\"1\" scaling=\"1\" presentIf=\"0\"/>";
    EXPECT_EQ("X loggeddata-buffer-record (fixed-length) uses presentIf, but no variable named "
              "\"varlist\"",
              ErrorOf(Root(WithLog("start=\"0\" stop=\"1\"", record, hourmeterField + conditionalField))));
    // Variable-length records may be conditional without a variable list.
    EXPECT_EQ("", ErrorOf(Root(WithLog("start=\"0\" stop=\"1\" endpointer=\"2\"", record,
                                       hourmeterField + conditionalField))));

    EXPECT_EQ("X has no regular variable named \"Hourmeter\"",
              DeviceErrorOf("<loggeddata><buffer start=\"0\" stop=\"1\"><record " + record + ">"
                            + hourmeterField + "</record></buffer></loggeddata>"));
    // Outside the format: no buffer, or a buffer without its record.
    EXPECT_EQ("X-loggeddata has bad/missing 'buffer' child element",
              DeviceErrorOf("<loggeddata/>"));
    EXPECT_EQ("X-buffer has bad/missing 'record' child element",
              DeviceErrorOf("<loggeddata><buffer start=\"0\" stop=\"1\"/></loggeddata>"));
}

TEST_F(DeviceDescription, FiltersByModelTypeAndProduct)
{
    const auto device = [](const std::string& name, int model, int type, const std::string& code) {
        return Device("name=\"" + name + "\" model=\"" + std::to_string(model) + "\" type=\""
                          + std::to_string(type) + "\" set=\"1\" defaultModbusAddr=\"1\" skelderType=\"1\"",
                      "<identity><productCode>" + code + "</productCode></identity>");
    };
    // The damaged last device is never reached when an earlier one matches a target.
    Write(Root(device("A", 1, 2, "PA") + device("B", 3, 4, "PB") + device("C", 1, 2, "PC")
               + "<device name=\"Z\" model=\"1\" type=\"2\"/>"));

    EXPECT_EQ("A", LoadFirstGenericDeviceDescription(m_path, 1, 2, nullptr).defaultName);
    EXPECT_EQ("C", LoadFirstGenericDeviceDescription(m_path, 1, 2, "PC").defaultName);
    EXPECT_EQ("B", LoadFirstGenericDeviceDescription(m_path, 3, 4, nullptr).defaultName);
    EXPECT_EQ("B", LoadGenericDeviceDescriptions(m_path, -1, -1, "PB").at(0).defaultName);
    const std::vector<GenericDeviceDescription_t> bees =
        LoadGenericDeviceDescriptions(m_path, 3, 4, nullptr);
    ASSERT_EQ(1u, bees.size());
    EXPECT_EQ("B", bees[0].defaultName);
    // Without a target every match is read, the damaged one too.
    EXPECT_THROW(LoadGenericDeviceDescriptions(m_path, 1, 2, nullptr), std::runtime_error);

    const std::string narrowPath(m_path.begin(), m_path.end());
    try {
        LoadFirstGenericDeviceDescription(m_path, 3, 4, "PA");
        ADD_FAILURE() << "a product of another device matched";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ("could not find type 4, model 3 in " + narrowPath, std::string(error.what()));
    }
    EXPECT_TRUE(LoadGenericDeviceDescriptions(m_path, -1, -1, "pa").empty());   // case-sensitive
}

TEST_F(DeviceDescription, FileLevelErrors)
{
    EXPECT_EQ("missing root element in XML", ErrorOf("<?xml version=\"1.0\"?>\n"));

    const std::string broken = ErrorOf("<devices>\n  <device name=\"X\"\n</devices>");
    const std::string narrowPath(m_path.begin(), m_path.end());
    EXPECT_EQ(0u, broken.find("unable to open device file " + narrowPath + "\n")) << broken;
    EXPECT_NE(std::string::npos, broken.find(" (row ")) << broken;
    EXPECT_EQ(')', broken.back());

    DeleteFileW(m_path.c_str());
    try {
        LoadAll();
        ADD_FAILURE() << "a missing file loaded";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(0u, std::string(error.what()).find("unable to open device file " + narrowPath));
    }
    // A root without device elements is an empty set.
    EXPECT_EQ("", ErrorOf("<anything><other/></anything>"));
    EXPECT_TRUE(LoadAll().empty());

    // Nesting deep enough to overflow the parser's recursion is refused, not parsed.
    std::string nested;
    for (int level = 0; level < 100000; ++level)
        nested += "<a>";
    for (int level = 0; level < 100000; ++level)
        nested += "</a>";
    const std::string deep = ErrorOf("<devices>" + nested + "</devices>");
    EXPECT_EQ(0u, deep.find("unable to open device file " + narrowPath + "\n")) << deep.substr(0, 200);
    // Ordinary nesting still loads.
    EXPECT_EQ("", ErrorOf("<devices><a><b><c/></b></a></devices>"));
}

} // namespace
