#include "wizards/framework/CModbusProgrammingThread.h"

#include "framework/CWordArray.h"
#include "modbus/SharedLinks.h"
#include "wizards/framework/ProgrammingMessages.h"

#include <stdexcept>
#include <string>

CModbusProgrammingThread::CModbusProgrammingThread() : CProgrammingThreadBase(false)
{
}

CModbusProgrammingThread::~CModbusProgrammingThread()
{
}

bool CModbusProgrammingThread::Start(HWND page, const CRelayProgContext& context)
{
    if (IsRunning())
        return false;
    m_page = page;
    SetContext(context);
    return StartThread(page);
}

boost::shared_ptr<CSharedModbus> CModbusProgrammingThread::Connect()
{
    const CRelayProgContext& context = GetContext();
    boost::shared_ptr<CSharedModbus> link;
    try
    {
        RequestScope request(*this);
        if (context.comPort < 0)
            link = OpenSharedModbusTcp(context.host.GetString(), static_cast<WORD>(context.tcpPort), 0);
        else
            link = OpenSharedModbusSerial(context.comPort);
    }
    catch (const std::exception& e)
    {
        PostText((std::string("* Error: unable to open Modbus connection to device: ") + e.what()).c_str());
        PostToPage(WM_APP_PROG_FAILED, 1);
        return boost::shared_ptr<CSharedModbus>();
    }
    // The shared link's retry count changes for every user of the port.
    link->m_link->SetRetries(2);
    if (StopRequested())
        return boost::shared_ptr<CSharedModbus>();

    CString vendor, product, revision;
    bool identified = false;
    {
        RequestScope request(*this);
        identified = link->m_link->ReadDeviceIdentification(context.modbusAddress, vendor, product, revision);
    }
    if (!identified)
    {
        PostText("* Error: Quorvant device did not respond to device identification query.");
        PostText("The MODBUS address given may be incorrect or there may be");
        PostText("a problem with the connection or device.");
        PostToPage(WM_APP_PROG_FAILED, 2);
        return boost::shared_ptr<CSharedModbus>();
    }
    PostToPage(WM_APP_PROG_CONNECTED);
    return link;
}

bool CModbusProgrammingThread::ReadRegister(CSharedModbus& link, int address, WORD* words, int count)
{
    if (count != 1 && count != 2)
    {
        words[0] = 0;
        m_failure = "a read takes one or two registers";
        return false;
    }
    CWordArray read;
    int code = 0;
    {
        RequestScope request(*this);
        code = link.m_link->ReadInputRegisters(GetContext().modbusAddress, address, static_cast<WORD>(count), read);
    }
    if (code == 0 && read.GetSize() < count)
        code = MODBUS_ERROR_INVALID_RESPONSE;
    if (code != 0)
    {
        NoteFailure(link, code, "read");
        return false;
    }
    if (count == 1)
        words[0] = read[0];
    else
    {
        words[0] = read[1];
        words[1] = read[0];
    }
    return true;
}

bool CModbusProgrammingThread::WriteRegister(CSharedModbus& link, int address, WORD value)
{
    int code = 0;
    {
        RequestScope request(*this);
        code = link.m_link->WriteSingleRegister(GetContext().modbusAddress, address, value);
    }
    if (code != 0)
        NoteFailure(link, code, "write");
    return code == 0;
}

void CModbusProgrammingThread::NoteFailure(CSharedModbus& link, int code, const char* request)
{
    m_failure = ModbusRequestFailureText(code, *link.m_link, request);
}

void CModbusProgrammingThread::FailRequest(const std::string& where, int done, int total)
{
    PostRunFailure(m_failure, where, done, total, GetContext().isRead, 0);
}
