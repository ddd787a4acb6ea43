// The newer wizards' programming thread: opens a Modbus link of its own, checks the
// device's identification and moves the context's variables as whole register images,
// the required set first, then the optional set, reporting to the page by messages.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbus.h"
#include "wizards/framework/CProgrammingThreadBase.h"
#include "wizards/framework/CWizardProgrammingContext.h"

#include <boost/shared_ptr.hpp>

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
    // A program run: false, with the setting's fault posted, when a value lies outside its
    // setting's limits.
    bool WithinLimits();

    CWizardProgrammingContextPtr m_context;
};
