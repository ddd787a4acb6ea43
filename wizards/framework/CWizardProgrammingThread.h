// The newer wizards' programming thread: opens a Modbus link of its own, checks the
// device's identification and moves the context's variables as whole register images,
// the required set first, then the optional set, reporting to the page by messages.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbus.h"
#include "wizards/framework/CProgrammingThreadBase.h"
#include "wizards/framework/CWizardProgrammingContext.h"

#include <boost/shared_ptr.hpp>

#include <string>

class CWizardProgrammingThread : public CProgrammingThreadBase
{
public:
    CWizardProgrammingThread();
    ~CWizardProgrammingThread() override;

    // False, changing nothing, while a thread is held.
    bool Start(HWND page, const CWizardProgrammingContextPtr& context);
    // Releases the context in every case; false when the thread had to be terminated.
    bool Stop(DWORD milliseconds) override;

    // On the thread. Empty when the link or the identification failed (already posted).
    boost::shared_ptr<CModbus> Connect();
    int Run();

protected:
    int RunThreadBody() override { return Run(); }

private:
    enum SetEnd
    {
        SET_DONE,
        SET_MISSING,   // the controller refused the set's first request: it has no such set
        SET_FAILED,    // posted
        SET_STOPPED
    };
    // Reads or writes the flagged registers of one set (65,536 flags and words), posting
    // the progress against the whole run.
    SetEnd TransferSet(CModbus& link, const BYTE* flags, WORD* words, int base, int total, bool optional);
    // The setting that holds the register, for the failure text.
    std::string SettingAt(unsigned address) const;
    // A program run: false, with the setting's fault posted, when a value lies outside its
    // setting's limits.
    bool WithinLimits();

    CWizardProgrammingContextPtr m_context;
};
