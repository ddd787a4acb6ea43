// Base of everything that receives commands: walks its message-map chain to find the
// handler of a command, a command-update request or a notification.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"
#include "framework/MessageMap.h"

// Filled by OnCmdMsg when the caller only asks whether a handler exists.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget = nullptr;
    const AFX_MSGMAP_ENTRY* pEntry = nullptr;
};

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    // nCode: CN_COMMAND, CN_UPDATE_COMMAND_UI (pExtra is the CCmdUI*), a control's
    // notification code, or MAKELONG(code, WM_NOTIFY) with an AFX_NOTIFY* in pExtra.
    // With pHandlerInfo only reports whether a handler exists. TRUE when handled.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // Hourglass for the duration of a long command; RestoreWaitCursor shows it again
    // after something (a message box) changed the cursor.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry of the chain, most derived class first, that matches; nID falls
    // in the entry's id range. nullptr when none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT nID) const;
    // Calls the handler of the entry found for the call; FALSE when none or declined.
    BOOL DispatchToMap(AFX_MSG_CALL& call);
};
