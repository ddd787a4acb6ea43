#include "tests/support/MpptDeviceProfile.h"

#include <sstream>

namespace mppt_device {

std::vector<RunRequest_t> RunRequests(const RegisterMap& registers, bool read, bool setpoints)
{
    std::vector<RunRequest_t> requests;
    for (const auto& reg : registers)
    {
        if ((reg.first >= 0x2000) != setpoints)
            continue;
        RunRequest_t* last = requests.empty() ? nullptr : &requests.back();
        if (read && last && last->address + last->count == reg.first && last->count < 125)
            ++last->count;
        else
            requests.push_back({reg.first, 1});
    }
    return requests;
}

std::string Profile(const RegisterMap& settingsRegisters, const ProfileOptions& options)
{
    RegisterMap served;
    for (const auto& reg : settingsRegisters)
        if (options.withNetworkBlock || reg.first >= 0x2000)
            served[reg.first] = reg.second;
    for (int hole : SETPOINT_HOLES)
        served[hole] = 0x5A5A;
    if (options.withNetworkBlock)
        for (int address = PASSWORD_FIRST; address <= PASSWORD_LAST; ++address)
            served[address] = 0x4242;
    if (options.targetsErased)
        served[0xE020] = served[0xE021] = 0xFFFF;
    std::ostringstream json;
    json << "{\"units\": {\"1\": {\"input\": \"holding\", \"faults\": " << options.faults << ", \"holding\": {";
    bool first = true;
    for (const auto& reg : served)
    {
        json << (first ? "" : ", ") << "\"" << reg.first << "\": " << reg.second;
        first = false;
    }
    json << "}}}}";
    return json.str();
}

} // namespace mppt_device
