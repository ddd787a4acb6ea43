// Small .qvz files written by the tests themselves into the build tree.
#pragma once
#include <cstdint>
#include <string>

namespace loader_ui_testing {

struct QvzContent {
    std::string header = "Quorvant test firmware\nbuild 7";
    uint16_t format = 1;
    uint32_t productId = 1;
    int records = 3;
    bool corruptLastCrc = false;
};

// Writes the file under build/loader_ui/<name>; returns its Windows path ("" on failure).
std::string WriteQvz(const std::string& name, const QvzContent& content);
// The Windows path of build/loader_ui/<name>, whether or not it exists.
std::string QvzPath(const std::string& name);

} // namespace loader_ui_testing
