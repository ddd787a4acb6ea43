// Reads the four channel configurations out of an Ostrel relay module or programs them
// into it, one holding register per request.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CModbusProgrammingThread.h"
#include "wizards/framework/CRelayProgContext.h"

// The module's registers: the function codes of channels 1+2 and 3+4 (low byte first),
// then one block of 24 registers per channel.
const WORD RELAY_REGISTER_FUNCTIONS_12 = 0xE002;
const WORD RELAY_REGISTER_FUNCTIONS_34 = 0xE003;
const WORD RELAY_REGISTER_FIRST_BLOCK = 0xE004;
const int RELAY_BLOCK_REGISTERS = 24;

class CRelayProgThread : public CModbusProgrammingThread
{
public:
    CRelayProgThread();
    ~CRelayProgThread() override;

    CRelayProgContext& GetContext() override { return m_context; }
    void SetContext(const CRelayProgContext& context) override;
    int Run() override;

private:
    int ReadModule(CSharedModbus& link);
    int ProgramModule(CSharedModbus& link);
    void Fail(const char* text);

    CRelayProgContext m_context;
};
