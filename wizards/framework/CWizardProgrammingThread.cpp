#include "wizards/framework/CWizardProgrammingThread.h"

#include "modbus/CLocalModbus.h"
#include "modbus/CModbusException.h"
#include "modbus/CRemoteModbus.h"
#include "modbus/RegisterImageTransfer.h"
#include "wizards/framework/CMessagePoster.h"
#include "wizards/framework/ProgrammingMessages.h"

#include <boost/make_shared.hpp>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
const int ADDRESS_SPACE = 65536;

// The registers of one set: a flag per address and the words to write there.
struct RegisterImage_t
{
    RegisterImage_t() : flags(ADDRESS_SPACE, 0), words(ADDRESS_SPACE, 0) {}
    std::vector<BYTE> flags;
    std::vector<WORD> words;
};

// Flags every register of the variables, counting each address once; variables that
// share a register (bit flags) combine their bits.
template <class Map, class GetVariable>
int AddToImage(const Map& variables, RegisterImage_t& image, GetVariable getVariable)
{
    int count = 0;
    for (const auto& entry : variables)
    {
        const boost::shared_ptr<CModbusVariable>& variable = getVariable(entry.second);
        if (!variable)
            continue;
        for (const ModbusRegister_t& reg : variable->GetRegisters())
        {
            const unsigned address = reg.address & 0xFFFF;
            if (!image.flags[address])
                ++count;
            image.flags[address] = 1;
            image.words[address] |= reg.value;
        }
    }
    return count;
}

const boost::shared_ptr<CModbusVariable>& Required(const boost::shared_ptr<CModbusVariable>& variable)
{
    return variable;
}

const boost::shared_ptr<CModbusVariable>& Optional(const std::pair<boost::shared_ptr<CModbusVariable>, bool>& entry)
{
    return entry.first;
}

// Thrown out of a transfer when the page asked the run to stop.
struct RunStopped
{
};

// Posts the progress after every request and ends the transfer there when a stop was
// asked for. Keeps the count of registers moved so far, for a run that fails.
class StoppableProgress : public IFunctor1
{
public:
    StoppableProgress(HWND page, int base, int total, std::function<bool()> stopRequested)
        : m_poster(page, WM_APP_PROG_PROGRESS, total), m_done(base), m_stopRequested(std::move(stopRequested))
    {
    }

    void operator()(int value) override
    {
        m_done = value;
        if (m_stopRequested())
            throw RunStopped();
        m_poster(value);
    }

    int Done() const { return m_done; }

private:
    CMessagePoster m_poster;
    int m_done;
    std::function<bool()> m_stopRequested;
};

// The flagged address after the first `skipped` ones, in the order the transfers go.
unsigned FlaggedAddressAfter(const BYTE* flags, int skipped)
{
    for (int address = 0; address < ADDRESS_SPACE; ++address)
        if (flags[address] && skipped-- == 0)
            return static_cast<unsigned>(address);
    return 0;
}

// Exception 2 (illegal data address): what a controller without the optional set (a
// 45-amp model) answers to it.
const int OPTIONAL_SET_MISSING = MODBUS_EXCEPTION_BASE | 2;
}

CWizardProgrammingThread::CWizardProgrammingThread() : CProgrammingThreadBase(true)
{
}

CWizardProgrammingThread::~CWizardProgrammingThread()
{
    Stop(5000);
}

bool CWizardProgrammingThread::Start(HWND page, const CWizardProgrammingContextPtr& context)
{
    if (IsRunning())
        return false;
    m_context = context;
    if (!StartThread(page))
    {
        m_context.reset();
        return false;
    }
    return true;
}

bool CWizardProgrammingThread::Stop(DWORD milliseconds)
{
    const bool ended = StopThread(milliseconds);
    m_context.reset();
    return ended;
}

boost::shared_ptr<CModbus> CWizardProgrammingThread::Connect()
{
    CWizardProgrammingContext& context = *m_context;
    boost::shared_ptr<CModbus> link;
    bool opened = false;
    {
        RequestScope request(*this);
        if (context.comPort < 0)
        {
            boost::shared_ptr<CRemoteModbus> remote = boost::make_shared<CRemoteModbus>();
            remote->SetReconnectEachTransaction(TRUE);
            // A port that is not set keeps the link's own (502).
            const WORD port = context.tcpPort > 0 && context.tcpPort <= 0xFFFF ? static_cast<WORD>(context.tcpPort) : 0;
            opened = remote->Connect(context.host.GetString(), port, 0, 0) != FALSE;
            link = remote;
        }
        else
        {
            boost::shared_ptr<CLocalModbus> local = boost::make_shared<CLocalModbus>();
            local->SetMode(CLocalModbus::MODE_RTU);
            local->SetComPort(context.comPort);
            local->SetDataBits(8);
            local->SetBaudRate(9600);
            local->SetParity(0);
            local->SetStopBits(2);
            local->SetFlowControl(0);
            local->SetTimeout(500);
            local->SetRetries(2);
            opened = local->Open(context.comPort, 9600, 0) != FALSE;
            link = local;
        }
    }
    if (!opened)
    {
        PostText(("* Error: unable to open Modbus port to " + context.deviceText).c_str());
        PostToPage(WM_APP_PROG_FAILED, 1);
        return boost::shared_ptr<CModbus>();
    }
    if (StopRequested())
        return boost::shared_ptr<CModbus>();

    CString vendor, product, revision;
    bool identified = false;
    {
        RequestScope request(*this);
        identified = link->ReadDeviceIdentification(context.modbusAddress, vendor, product, revision);
    }
    if (!identified)
    {
        PostText(("* Error: " + context.deviceText + " did not respond to device identification query.").c_str());
        PostText("The Modbus address given may be incorrect or there may be");
        PostText("a problem with the connection or device.");
        PostToPage(WM_APP_PROG_FAILED, 2);
        return boost::shared_ptr<CModbus>();
    }
    PostToPage(WM_APP_PROG_CONNECTED);
    return link;
}

bool CWizardProgrammingThread::WithinLimits()
{
    try
    {
        for (const auto& entry : m_context->variables)
            if (entry.second)
                entry.second->CheckLimits();
        for (const auto& entry : m_context->optionalVariables)
            if (entry.second.first)
                entry.second.first->CheckLimits();
    }
    catch (const std::range_error& e)
    {
        PostText((std::string("* Error: ") + e.what()).c_str());
        PostToPage(WM_APP_PROG_FAILED, 0);
        return false;
    }
    return true;
}

std::string CWizardProgrammingThread::SettingAt(unsigned address) const
{
    const auto holds = [address](const boost::shared_ptr<CModbusVariable>& variable) {
        if (!variable)
            return false;
        for (const ModbusRegister_t& reg : variable->GetRegisters())
            if ((reg.address & 0xFFFF) == address)
                return true;
        return false;
    };
    for (const auto& entry : m_context->variables)
        if (holds(entry.second))
            return SettingText(entry.second->GetName(), address);
    for (const auto& entry : m_context->optionalVariables)
        if (holds(entry.second.first))
            return SettingText(entry.second.first->GetName(), address);
    return SettingText(std::string(), address);
}

CWizardProgrammingThread::SetEnd CWizardProgrammingThread::TransferSet(CModbus& link, const BYTE* flags, WORD* words,
                                                                       int base, int total, bool optional)
{
    CWizardProgrammingContext& context = *m_context;
    StoppableProgress progress(m_page, base, total, [this] { return StopRequested(); });
    try
    {
        RequestScope request(*this);
        if (context.isRead)
            ReadRegisterImage(&link, context.modbusAddress, flags, words, &progress, base);
        else
            WriteRegisterImage(&link, context.modbusAddress, flags, words, &progress, base);
    }
    catch (const RunStopped&)
    {
        return SET_STOPPED;
    }
    catch (const CModbusException& e)
    {
        // Only the controller's own refusal of the set's first request says the set is not
        // there. A refusal once part of the set went through is a model that has the set
        // and refused one setting of it; that, a time-out, a lost connection, garbage or any
        // other refusal is a failed run.
        if (optional && e.GetCode() == OPTIONAL_SET_MISSING && progress.Done() == base)
            return SET_MISSING;
        const std::string reason = ModbusRequestFailureText(e.GetCode(), link, context.isRead ? "read" : "write");
        const unsigned address = FlaggedAddressAfter(flags, progress.Done() - base);
        PostRunFailure(reason, SettingAt(address), progress.Done(), total, context.isRead,
                       static_cast<WPARAM>(e.GetCode()));
        return SET_FAILED;
    }
    return StopRequested() ? SET_STOPPED : SET_DONE;
}

int CWizardProgrammingThread::Run()
{
    CWizardProgrammingContext& context = *m_context;
    // Nothing outside a setting's limits is programmed: a controller left with Modbus ID
    // 0 answers at no address.
    if (!context.isRead && !WithinLimits())
        return -1;
    PostText("Connecting to control...");
    boost::shared_ptr<CModbus> link = Connect();
    if (!link)
        return -1;
    if (StopRequested())
        return 0;

    RegisterImage_t required;
    RegisterImage_t optional;
    const int requiredCount = AddToImage(context.variables, required, Required);
    const int total = requiredCount + AddToImage(context.optionalVariables, optional, Optional);

    PostText(context.isRead ? "Reading configuration from device.  Please wait."
                            : ("Programming " + context.deviceText + ".  Please wait.").c_str());
    if (TransferSet(*link, required.flags.data(), required.words.data(), 0, total, false) != SET_DONE)
        return 0;
    const SetEnd optionalEnd =
        TransferSet(*link, optional.flags.data(), optional.words.data(), requiredCount, total, true);
    if (optionalEnd == SET_FAILED || optionalEnd == SET_STOPPED)
        return 0;
    if (optionalEnd == SET_MISSING && !context.optionalFailureText.empty())
        PostText(context.optionalFailureText.c_str());

    // A read is taken into the variables only once it ended well: a run that lost its
    // controller part of the way leaves them as they were.
    if (context.isRead)
    {
        for (auto& entry : context.variables)
            if (entry.second)
                entry.second->SetFromRegisterImage(required.words.data());
        for (auto& entry : context.optionalVariables)
        {
            entry.second.second = optionalEnd == SET_DONE;
            if (entry.second.second && entry.second.first)
                entry.second.first->SetFromRegisterImage(optional.words.data());
        }
    }
    if (!context.isRead && context.settingsNotRead > 0)
        PostText(context.settingsNotRead == 1
                     ? "1 setting was not written because it was not read from the controller."
                     : (std::to_string(context.settingsNotRead) +
                        " settings were not written because they were not read from the controller.")
                           .c_str());
    PostText("Finished.");
    PostToPage(WM_APP_PROG_DONE);
    return 0;
}
