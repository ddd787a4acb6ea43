// A devices.xml with one device that keeps a log: records of its hour meter and battery
// voltage. Tests write it into a folder of their own and make that the program folder.
#pragma once

namespace testing_support {

const char* const BENCH_DEVICE_DESCRIPTION =
    "<?xml version=\"1.0\" ?>\n"
    "<devices>\n"
    "  <device name=\"Bench Logger\" model=\"3\" type=\"7\" set=\"1\" defaultModbusAddr=\"1\" skelderType=\"255\">\n"
    "    <identity><productCode>BL-1</productCode></identity>\n"
    "    <variable name=\"Hourmeter\" id=\"1\" description=\"Hours run\" units=\"h\" min=\"0\" max=\"65535\"\n"
    "              scaling=\"1\" addressLow=\"0x0010\" addressHigh=\"-1\" />\n"
    "    <loggeddata>\n"
    "      <buffer start=\"0x8000\" stop=\"0x80FF\">\n"
    "        <record hourmeterDiscontinuityId=\"9\" hourmeterDiscontinuityValue=\"1\">\n"
    "          <variable name=\"Hourmeter\" id=\"1\" description=\"Hours run\" units=\"h\" min=\"0\"\n"
    "                    max=\"65535\" scaling=\"1\" />\n"
    "          <variable name=\"Battery Voltage\" id=\"2\" description=\"Battery\" units=\"V\" min=\"0\"\n"
    "                    max=\"100\" scaling=\"0.1\" />\n"
    "        </record>\n"
    "      </buffer>\n"
    "    </loggeddata>\n"
    "  </device>\n"
    "</devices>\n";

} // namespace testing_support
