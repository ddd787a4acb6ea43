#include "wizards/relay/CRelayProgThread.h"

#include "wizards/framework/ProgrammingMessages.h"

#include <cstring>
#include <string>

namespace
{
const int BLOCK_BUFFER_SIZE = 128;
const WORD FUNCTION_REGISTERS[2] = {RELAY_REGISTER_FUNCTIONS_12, RELAY_REGISTER_FUNCTIONS_34};
const int READ_REGISTERS = 2 + RELAY_CHANNEL_COUNT * RELAY_BLOCK_REGISTERS;

std::string FunctionsName(int pair)
{
    return "the functions of channels " + std::to_string(2 * pair + 1) + " and " + std::to_string(2 * pair + 2);
}

std::string ChannelName(int channel)
{
    return "channel " + std::to_string(channel + 1);
}
}

CRelayProgThread::CRelayProgThread() : m_context(nullptr, nullptr)
{
}

CRelayProgThread::~CRelayProgThread()
{
    Stop(5000);
}

void CRelayProgThread::SetContext(const CRelayProgContext& context)
{
    m_context.Assign(context);
}

void CRelayProgThread::Fail(const char* text)
{
    PostText(text);
    PostToPage(WM_APP_PROG_FAILED, 0);
}

int CRelayProgThread::Run()
{
    // Nothing is sent when a channel would be programmed with an address no controller
    // answers at.
    const std::string refusal =
        m_context.isRead ? std::string() : ChannelsAddressRefusal(m_context.channels, RELAY_CHANNEL_COUNT);
    if (!refusal.empty())
    {
        Fail(("* Error: " + refusal).c_str());
        return -1;
    }
    boost::shared_ptr<CSharedModbus> link = Connect();
    if (!link)
        return -1;
    return m_context.isRead ? ReadModule(*link) : ProgramModule(*link);
}

int CRelayProgThread::ReadModule(CSharedModbus& link)
{
    PostText("Reading configuration from Ostrel.  Please wait.");
    for (int pair = 0; pair < 2; ++pair)
    {
        if (StopRequested())
            return 0;
        WORD word = 0;
        if (!ReadRegister(link, FUNCTION_REGISTERS[pair], &word, 1))
        {
            FailRequest(SettingText(FunctionsName(pair), FUNCTION_REGISTERS[pair]), pair, READ_REGISTERS);
            return 0;
        }
        CRelayModuleChannel& low = m_context.channels[2 * pair];
        CRelayModuleChannel& high = m_context.channels[2 * pair + 1];
        const BYTE codes[2] = {static_cast<BYTE>(word & 0xFF), static_cast<BYTE>(word >> 8)};
        // A code the program does not know cannot be imported under any function: the
        // read fails instead of filling the block in under the old function.
        if (codes[0] > RELAY_FUNCTION_LAST || codes[1] > RELAY_FUNCTION_LAST)
        {
            Fail("* Error: unable to determine channel configuration from ostrel data.");
            return 0;
        }
        low.SetFunction(codes[0]);
        high.SetFunction(codes[1]);
        PostToPage(WM_APP_PROG_TICK);
    }

    for (int channel = 0; channel < RELAY_CHANNEL_COUNT; ++channel)
    {
        BYTE buffer[BLOCK_BUFFER_SIZE];
        std::memset(buffer, 0, sizeof buffer);
        const int first = RELAY_REGISTER_FIRST_BLOCK + channel * RELAY_BLOCK_REGISTERS;
        for (int n = 0; n < RELAY_BLOCK_REGISTERS; ++n)
        {
            if (StopRequested())
                return 0;
            WORD word = 0;
            if (!ReadRegister(link, first + n, &word, 1))
            {
                FailRequest(SettingText(ChannelName(channel), first + n), 2 + channel * RELAY_BLOCK_REGISTERS + n,
                            READ_REGISTERS);
                return 0;
            }
            buffer[2 * n] = static_cast<BYTE>(word & 0xFF);
            buffer[2 * n + 1] = static_cast<BYTE>(word >> 8);
            if (n % 4 == 0)
                PostToPage(WM_APP_PROG_TICK);
        }
        if (!m_context.channels[channel].ImportRegisterImage(buffer, 2 * RELAY_BLOCK_REGISTERS))
        {
            Fail("* Error: unable to determine channel configuration from ostrel data.");
            return 0;
        }
        PostToPage(WM_APP_PROG_TICK);
    }
    PostToPage(WM_APP_PROG_DONE);
    return 0;
}

int CRelayProgThread::ProgramModule(CSharedModbus& link)
{
    PostText("Programming Ostrel.  Please wait.");
    // Every block is formed before the first write, so that a run knows its length and a
    // channel that cannot be formed leaves the module as it was.
    BYTE buffers[RELAY_CHANNEL_COUNT][BLOCK_BUFFER_SIZE];
    int counts[RELAY_CHANNEL_COUNT];
    int total = 2;
    for (int channel = 0; channel < RELAY_CHANNEL_COUNT; ++channel)
    {
        std::memset(buffers[channel], 0, BLOCK_BUFFER_SIZE);
        counts[channel] = m_context.channels[channel].ExportRegisterImage(buffers[channel], BLOCK_BUFFER_SIZE);
        if (counts[channel] < 0)
        {
            Fail("* Error: unable to form channel configuration for ostrel.");
            return 0;
        }
        total += (counts[channel] + 1) / 2;
    }

    int done = 0;
    for (int pair = 0; pair < 2; ++pair)
    {
        if (StopRequested())
            return 0;
        const WORD word = static_cast<WORD>((m_context.channels[2 * pair + 1].GetFunction() << 8) |
                                            m_context.channels[2 * pair].GetFunction());
        if (!WriteRegister(link, FUNCTION_REGISTERS[pair], word))
        {
            FailRequest(SettingText(FunctionsName(pair), FUNCTION_REGISTERS[pair]), done, total);
            return 0;
        }
        ++done;
        PostToPage(WM_APP_PROG_TICK);
    }

    for (int channel = 0; channel < RELAY_CHANNEL_COUNT; ++channel)
    {
        const BYTE* buffer = buffers[channel];
        const int count = counts[channel];
        const int first = RELAY_REGISTER_FIRST_BLOCK + channel * RELAY_BLOCK_REGISTERS;
        for (int n = 0; 2 * n < count; ++n)
        {
            if (StopRequested())
                return 0;
            // A last lone byte is the register's whole value.
            const WORD high = 2 * n + 1 < count ? buffer[2 * n + 1] : 0;
            if (!WriteRegister(link, first + n, static_cast<WORD>((high << 8) | buffer[2 * n])))
            {
                FailRequest(SettingText(ChannelName(channel), first + n), done, total);
                return 0;
            }
            ++done;
            if (n % 2 == 0)
                PostToPage(WM_APP_PROG_TICK);
        }
        PostToPage(WM_APP_PROG_TICK);
    }
    PostToPage(WM_APP_PROG_DONE);
    return 0;
}
