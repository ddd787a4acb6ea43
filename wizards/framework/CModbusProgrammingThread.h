// Base of the older wizards' programming threads: one holding register per request over
// the program's shared Modbus link of the port, so that a device that a device document
// polls is reached over the same port. Each derived thread embeds its own context.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CSharedModbus.h"
#include "wizards/framework/CProgrammingThreadBase.h"
#include "wizards/framework/CRelayProgContext.h"

#include <boost/shared_ptr.hpp>

#include <string>

class CModbusProgrammingThread : public CProgrammingThreadBase
{
public:
    CModbusProgrammingThread();
    ~CModbusProgrammingThread() override;

    virtual CRelayProgContext& GetContext() = 0;
    virtual void SetContext(const CRelayProgContext& context) = 0;
    virtual int Run() = 0;

    // False, copying nothing, while a thread is held.
    bool Start(HWND page, const CRelayProgContext& context);

protected:
    int RunThreadBody() override { return Run(); }

    // On the thread. Empty when the link or the identification failed (already posted).
    boost::shared_ptr<CSharedModbus> Connect();
    // Function 4 at the context's address; count 1 or 2 (the second word first, so the
    // pair reads as a 32-bit value whose high half is the first register).
    bool ReadRegister(CSharedModbus& link, int address, WORD* words, int count);
    // Function 6 at the context's address.
    bool WriteRegister(CSharedModbus& link, int address, WORD value);
    // Ends the run after a read or write above failed: what became of that request, where
    // the run stopped and how many of its requests were done.
    void FailRequest(const std::string& where, int done, int total);

private:
    // What became of the last failed request, taken at once: the link tells a thread only
    // how its latest exchange ended.
    void NoteFailure(CSharedModbus& link, int code, const char* request);

    std::string m_failure;
};

// Asks the user to let the open document of that device disconnect before programming
// (user-interface thread). False when the user refuses or the connection does not close.
bool DisconnectDeviceForProgramming(const ModbusEndpoint_t* device);
