#include "tests/loader_ui/FirmwareFiles.h"

#include "loader/LoaderCrc16.h"
#include "tests/support/TestPaths.h"

#include <cstdio>
#include <vector>

namespace loader_ui_testing {

std::string QvzPath(const std::string& name)
{
    return testing_support::BuildPath("loader_ui\\" + name);
}

std::string WriteQvz(const std::string& name, const QvzContent& content)
{
    std::vector<uint8_t> bytes(content.header.begin(), content.header.end());
    bytes.push_back(0x1A);
    auto put16 = [&bytes](uint16_t v) { bytes.push_back(v & 0xFF); bytes.push_back(v >> 8); };
    put16(0);
    put16(content.format);
    if (content.format != 0) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(content.productId >> shift));
    }
    put16(static_cast<uint16_t>(content.records));
    for (int r = 0; r < content.records; ++r) {
        uint8_t data[8];
        for (int i = 0; i < 8; ++i)
            data[i] = static_cast<uint8_t>(r * 8 + i + 0x30);
        uint16_t crc = LoaderCrc16(0, data, sizeof data);
        if (content.corruptLastCrc && r == content.records - 1)
            crc ^= 0x0101;
        bytes.insert(bytes.end(), data, data + 8);
        bytes.push_back(static_cast<uint8_t>(crc >> 8));
        bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    }
    const std::string path = QvzPath(name);
    testing_support::EnsureDirectory(testing_support::BuildPath("loader_ui"));
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return "";
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    fclose(file);
    return written ? path : "";
}

} // namespace loader_ui_testing
