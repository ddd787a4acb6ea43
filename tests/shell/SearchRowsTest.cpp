// What the search dialog lists of a found device, and which finds it lists at all.
#include <gtest/gtest.h>

#include "shell/CDialogControlBrowser.h"

namespace
{
ModbusEndpoint_t Found(bool network, const std::string& host, int port, int unitId, const std::string& deviceText)
{
    ModbusEndpoint_t endpoint;
    endpoint.vendor = "Quorvant Corp.";
    endpoint.productCode = "VX-60";
    endpoint.network = network;
    endpoint.host = host;
    endpoint.port = port;
    endpoint.unitId = unitId;
    endpoint.deviceText = deviceText;
    return endpoint;
}
} // namespace

TEST(SearchRows, SerialAndNetworkFindsAreShownByProductAndAddress)
{
    const ModbusEndpoint_t serial = Found(false, "", 3, 1, "");
    EXPECT_EQ("VX-60", SearchRowControlText(serial));
    EXPECT_EQ("COM3, id 1", SearchRowAddressText(serial));

    const ModbusEndpoint_t broadcast = Found(true, "192.0.2.7", 502, 1, "Barn controller");
    EXPECT_EQ("VX-60 (Barn controller)", SearchRowControlText(broadcast));
    EXPECT_EQ("192.0.2.7:502, id 1", SearchRowAddressText(broadcast));

    // Found by the TCP job of a host: no device text.
    const ModbusEndpoint_t byHost = Found(true, "127.0.0.1", 1502, 7, "");
    EXPECT_EQ("VX-60 ()", SearchRowControlText(byHost));
    EXPECT_EQ("127.0.0.1:1502, id 7", SearchRowAddressText(byHost));
}

TEST(SearchRows, OnlyTheMakersExactVendorTextIsListed)
{
    ModbusEndpoint_t endpoint = Found(false, "", 1, 1, "");
    EXPECT_TRUE(IsMakerVendor(endpoint));
    for (const char* other : {"quorvant corp.", "Quorvant Corp. ", "Quorvant Corp", "", "Other Maker"}) {
        endpoint.vendor = other;
        EXPECT_FALSE(IsMakerVendor(endpoint)) << '"' << other << '"';
    }
}
