// Message maps: each class that handles messages lists its handlers in a static table.
// Every entry holds a small adapter, made by the macros below, that casts the target to
// the class whose table it is and calls the member with its own signature; a handler
// with the wrong signature therefore fails to compile instead of failing at run time.
//
//     class CMyWnd : public CWnd { ... DECLARE_MESSAGE_MAP() };
//     BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//         ON_WM_CREATE()
//         ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
//     END_MESSAGE_MAP()
//
// Handlers are named without class (OnAppAbout, not &CMyWnd::OnAppAbout). Sources that
// use macros taking a CDC*, CMenu* or control pointer include that class's header.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPoint.h"

#include <commctrl.h>

class CCmdTarget;
class CCmdUI;
class CWnd;
class CDC;
class CMenu;
class CScrollBar;
class CListBox;

// Codes of OnCmdMsg besides the controls' own notification codes.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// Messages reflected to a control are looked up under this offset.
#define WM_REFLECT_BASE 0xBC00

// All WM_CTLCOLOR* messages are handled by one entry; the control type comes as
// CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC.
#define AFX_WM_CTLCOLOR 0x0019

// One call of a handler as the adapters see it.
struct AFX_MSG_CALL
{
    UINT message;       // entry kind: window message, WM_COMMAND, WM_NOTIFY or reflected
    WPARAM wParam;
    LPARAM lParam;
    UINT nID;           // command or control id
    UINT nCode;         // notification code; control type for AFX_WM_CTLCOLOR
    void* pExtra;       // CCmdUI* of update handlers; NMHDR* of notify handlers
    LRESULT result;     // the message's result, or the notify handler's *pResult
};

// Returns TRUE when the handler handled the call (the _EX handlers may decline).
typedef BOOL (*AFX_MSG_ADAPTER)(CCmdTarget* target, AFX_MSG_CALL& call);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    AFX_MSG_ADAPTER pfnAdapter;     // nullptr ends the table
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();   // nullptr for the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The payload of a notification routed through OnCmdMsg (code MAKELONG(code, WM_NOTIFY)).
struct AFX_NOTIFY
{
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

#ifndef afx_msg
#define afx_msg
#endif

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static_assert(sizeof(ThisClass) > 0, "message map of an incomplete class"); \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

// The same for a class template of one parameter; the template's members, this map
// included, are instantiated where the template is used or explicitly instantiated.
//     template <class TBase> class CMyPage : public TBase { ... DECLARE_MESSAGE_MAP() };
//     BEGIN_TEMPLATE_MESSAGE_MAP(CMyPage, TBase, TBase)
#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, templateParam, baseClass) \
    template <class templateParam> \
    const AFX_MSGMAP* theClass<templateParam>::GetMessageMap() const { return GetThisMessageMap(); } \
    template <class templateParam> \
    const AFX_MSGMAP* theClass<templateParam>::GetThisMessageMap() \
    { \
        typedef theClass<templateParam> ThisClass; \
        typedef baseClass TheBaseClass; \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP() \
            { 0, 0, 0, 0, nullptr } \
        }; \
        static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, &messageEntries[0] }; \
        return &messageMap; \
    }

// The adapter of one entry: `self` is the target as the map's class.
#define AFX_ADAPTER(...) \
    [](CCmdTarget* target, AFX_MSG_CALL& call) -> BOOL { \
        ThisClass* self = static_cast<ThisClass*>(target); \
        (void)self; (void)call; \
        __VA_ARGS__ \
    }

#define AFX_WINDOW_ENTRY(message, ...) { (UINT)(message), 0, 0, 0, AFX_ADAPTER(__VA_ARGS__) },
#define AFX_WND_FROM(h) CWnd::FromHandle(reinterpret_cast<HWND>(h))

// --- Commands and their update handlers --------------------------------------------
#define ON_COMMAND(id, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AFX_ADAPTER(self->memberFxn(); return TRUE;) },
// BOOL memberFxn(UINT id): FALSE lets the command go on to the next target.
#define ON_COMMAND_EX(id, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AFX_ADAPTER(return self->memberFxn(call.nID);) },
#define ON_COMMAND_EX_RANGE(idFirst, idLast, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(idFirst), (UINT)(idLast), AFX_ADAPTER(return self->memberFxn(call.nID);) },
// void memberFxn(UINT id)
#define ON_COMMAND_RANGE(idFirst, idLast, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(idFirst), (UINT)(idLast), \
      AFX_ADAPTER(self->memberFxn(call.nID); return TRUE;) },
// void memberFxn(CCmdUI*)
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
    { WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), \
      AFX_ADAPTER(self->memberFxn(static_cast<CCmdUI*>(call.pExtra)); return TRUE;) },
#define ON_UPDATE_COMMAND_UI_RANGE(idFirst, idLast, memberFxn) \
    { WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(idFirst), (UINT)(idLast), \
      AFX_ADAPTER(self->memberFxn(static_cast<CCmdUI*>(call.pExtra)); return TRUE;) },

// --- Control notifications through WM_COMMAND ----------------------------------------
#define ON_CONTROL(code, id, memberFxn) \
    { WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AFX_ADAPTER(self->memberFxn(); return TRUE;) },
// void memberFxn(UINT id)
#define ON_CONTROL_RANGE(code, idFirst, idLast, memberFxn) \
    { WM_COMMAND, (UINT)(code), (UINT)(idFirst), (UINT)(idLast), \
      AFX_ADAPTER(self->memberFxn(call.nID); return TRUE;) },

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_EN_ERRSPACE(id, memberFxn) ON_CONTROL(EN_ERRSPACE, id, memberFxn)
#define ON_EN_HSCROLL(id, memberFxn) ON_CONTROL(EN_HSCROLL, id, memberFxn)
#define ON_EN_VSCROLL(id, memberFxn) ON_CONTROL(EN_VSCROLL, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DBLCLK(id, memberFxn) ON_CONTROL(CBN_DBLCLK, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)
#define ON_LBN_SELCANCEL(id, memberFxn) ON_CONTROL(LBN_SELCANCEL, id, memberFxn)

// --- WM_NOTIFY -----------------------------------------------------------------------
// void memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY(code, id, memberFxn) \
    { WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id), \
      AFX_ADAPTER(self->memberFxn(static_cast<NMHDR*>(call.pExtra), &call.result); return TRUE;) },
// void memberFxn(UINT id, NMHDR*, LRESULT*)
#define ON_NOTIFY_RANGE(code, idFirst, idLast, memberFxn) \
    { WM_NOTIFY, (UINT)(code), (UINT)(idFirst), (UINT)(idLast), \
      AFX_ADAPTER(self->memberFxn(call.nID, static_cast<NMHDR*>(call.pExtra), &call.result); return TRUE;) },
// BOOL memberFxn(UINT id, NMHDR*, LRESULT*): FALSE passes the notification on.
#define ON_NOTIFY_EX(code, id, memberFxn) \
    { WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id), \
      AFX_ADAPTER(return self->memberFxn(call.nID, static_cast<NMHDR*>(call.pExtra), &call.result);) },
#define ON_NOTIFY_EX_RANGE(code, idFirst, idLast, memberFxn) \
    { WM_NOTIFY, (UINT)(code), (UINT)(idFirst), (UINT)(idLast), \
      AFX_ADAPTER(return self->memberFxn(call.nID, static_cast<NMHDR*>(call.pExtra), &call.result);) },

// Tooltip text requests (tooltips send them to their owner with the tool's id).
#define ON_TTN_NEEDTEXT(idFirst, idLast, memberFxn) ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, idFirst, idLast, memberFxn)

// --- Reflected to the control's own object --------------------------------------------
// void memberFxn()
#define ON_CONTROL_REFLECT(code, memberFxn) \
    { WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AFX_ADAPTER(self->memberFxn(); return TRUE;) },
// BOOL memberFxn(): FALSE lets the parent handle it too.
#define ON_CONTROL_REFLECT_EX(code, memberFxn) \
    { WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AFX_ADAPTER(return self->memberFxn();) },
// void memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    { WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0, \
      AFX_ADAPTER(self->memberFxn(static_cast<NMHDR*>(call.pExtra), &call.result); return TRUE;) },
// BOOL memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn) \
    { WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0, \
      AFX_ADAPTER(return self->memberFxn(static_cast<NMHDR*>(call.pExtra), &call.result);) },
// HBRUSH CtlColor(CDC*, UINT nCtlColor): NULL leaves the colours to the parent.
#define ON_WM_CTLCOLOR_REFLECT() \
    { WM_REFLECT_BASE + AFX_WM_CTLCOLOR, 0, 0, 0, AFX_ADAPTER( \
        HBRUSH brush = self->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(call.wParam)), call.nCode); \
        call.result = reinterpret_cast<LRESULT>(brush); return brush != nullptr;) },
// void DrawItem(LPDRAWITEMSTRUCT), void MeasureItem(LPMEASUREITEMSTRUCT)
#define ON_WM_DRAWITEM_REFLECT() \
    { WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, 0, AFX_ADAPTER( \
        self->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(call.lParam)); call.result = TRUE; return TRUE;) },
#define ON_WM_MEASUREITEM_REFLECT() \
    { WM_REFLECT_BASE + WM_MEASUREITEM, 0, 0, 0, AFX_ADAPTER( \
        self->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(call.lParam)); call.result = TRUE; return TRUE;) },

// --- Any message ---------------------------------------------------------------------
// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    AFX_WINDOW_ENTRY(message, call.result = self->memberFxn(call.wParam, call.lParam); return TRUE;)
// void memberFxn()
#define ON_MESSAGE_VOID(message, memberFxn) \
    AFX_WINDOW_ENTRY(message, self->memberFxn(); return TRUE;)

// --- Window messages with their cracked parameters ------------------------------------
#define AFX_POINT_OF(lParam) CPoint(static_cast<LPARAM>(lParam))

#define ON_WM_CREATE() \
    AFX_WINDOW_ENTRY(WM_CREATE, call.result = self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(call.lParam)); return TRUE;)
#define ON_WM_DESTROY() AFX_WINDOW_ENTRY(WM_DESTROY, self->OnDestroy(); return TRUE;)
#define ON_WM_NCDESTROY() AFX_WINDOW_ENTRY(WM_NCDESTROY, self->OnNcDestroy(); return TRUE;)
#define ON_WM_CLOSE() AFX_WINDOW_ENTRY(WM_CLOSE, self->OnClose(); return TRUE;)
#define ON_WM_SIZE() \
    AFX_WINDOW_ENTRY(WM_SIZE, self->OnSize((UINT)call.wParam, (short)LOWORD(call.lParam), (short)HIWORD(call.lParam)); return TRUE;)
#define ON_WM_MOVE() \
    AFX_WINDOW_ENTRY(WM_MOVE, self->OnMove((short)LOWORD(call.lParam), (short)HIWORD(call.lParam)); return TRUE;)
#define ON_WM_PAINT() AFX_WINDOW_ENTRY(WM_PAINT, self->OnPaint(); return TRUE;)
#define ON_WM_NCPAINT() AFX_WINDOW_ENTRY(WM_NCPAINT, self->OnNcPaint(); return TRUE;)
#define ON_WM_ERASEBKGND() \
    AFX_WINDOW_ENTRY(WM_ERASEBKGND, call.result = self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(call.wParam))); return TRUE;)
#define ON_WM_TIMER() AFX_WINDOW_ENTRY(WM_TIMER, self->OnTimer((UINT_PTR)call.wParam); return TRUE;)
#define ON_WM_SYSCOLORCHANGE() AFX_WINDOW_ENTRY(WM_SYSCOLORCHANGE, self->OnSysColorChange(); return TRUE;)
#define ON_WM_SETTINGCHANGE() \
    AFX_WINDOW_ENTRY(WM_SETTINGCHANGE, self->OnSettingChange((UINT)call.wParam, reinterpret_cast<LPCTSTR>(call.lParam)); return TRUE;)
#define ON_WM_SHOWWINDOW() \
    AFX_WINDOW_ENTRY(WM_SHOWWINDOW, self->OnShowWindow((BOOL)call.wParam, (UINT)call.lParam); return TRUE;)
#define ON_WM_ENABLE() AFX_WINDOW_ENTRY(WM_ENABLE, self->OnEnable((BOOL)call.wParam); return TRUE;)
#define ON_WM_ACTIVATE() \
    AFX_WINDOW_ENTRY(WM_ACTIVATE, self->OnActivate(LOWORD(call.wParam), AFX_WND_FROM(call.lParam), (BOOL)HIWORD(call.wParam)); return TRUE;)
#define ON_WM_NCACTIVATE() AFX_WINDOW_ENTRY(WM_NCACTIVATE, call.result = self->OnNcActivate((BOOL)call.wParam); return TRUE;)
#define ON_WM_MOUSEACTIVATE() \
    AFX_WINDOW_ENTRY(WM_MOUSEACTIVATE, call.result = self->OnMouseActivate(AFX_WND_FROM(call.wParam), LOWORD(call.lParam), HIWORD(call.lParam)); return TRUE;)
#define ON_WM_WINDOWPOSCHANGING() \
    AFX_WINDOW_ENTRY(WM_WINDOWPOSCHANGING, self->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(call.lParam)); return TRUE;)
#define ON_WM_WINDOWPOSCHANGED() \
    AFX_WINDOW_ENTRY(WM_WINDOWPOSCHANGED, self->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(call.lParam)); return TRUE;)
#define ON_WM_GETMINMAXINFO() \
    AFX_WINDOW_ENTRY(WM_GETMINMAXINFO, self->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(call.lParam)); return TRUE;)
// BOOL OnNcCreate(LPCREATESTRUCT): FALSE stops the creation.
#define ON_WM_NCCREATE() \
    AFX_WINDOW_ENTRY(WM_NCCREATE, call.result = self->OnNcCreate(reinterpret_cast<LPCREATESTRUCT>(call.lParam)); return TRUE;)
#define ON_WM_NCCALCSIZE() \
    AFX_WINDOW_ENTRY(WM_NCCALCSIZE, self->OnNcCalcSize((BOOL)call.wParam, reinterpret_cast<NCCALCSIZE_PARAMS*>(call.lParam)); return TRUE;)
#define ON_WM_NCHITTEST() AFX_WINDOW_ENTRY(WM_NCHITTEST, call.result = self->OnNcHitTest(AFX_POINT_OF(call.lParam)); return TRUE;)
#define ON_WM_SETCURSOR() \
    AFX_WINDOW_ENTRY(WM_SETCURSOR, call.result = self->OnSetCursor(AFX_WND_FROM(call.wParam), LOWORD(call.lParam), HIWORD(call.lParam)); return TRUE;)
#define ON_WM_SETFOCUS() AFX_WINDOW_ENTRY(WM_SETFOCUS, self->OnSetFocus(AFX_WND_FROM(call.wParam)); return TRUE;)
#define ON_WM_KILLFOCUS() AFX_WINDOW_ENTRY(WM_KILLFOCUS, self->OnKillFocus(AFX_WND_FROM(call.wParam)); return TRUE;)
#define ON_WM_CAPTURECHANGED() \
    AFX_WINDOW_ENTRY(WM_CAPTURECHANGED, self->OnCaptureChanged(AFX_WND_FROM(call.lParam)); return TRUE;)
#define ON_WM_CANCELMODE() AFX_WINDOW_ENTRY(WM_CANCELMODE, self->OnCancelMode(); return TRUE;)
#define ON_WM_GETDLGCODE() AFX_WINDOW_ENTRY(WM_GETDLGCODE, call.result = self->OnGetDlgCode(); return TRUE;)
#define ON_WM_HELPINFO() \
    AFX_WINDOW_ENTRY(WM_HELP, call.result = self->OnHelpInfo(reinterpret_cast<HELPINFO*>(call.lParam)); return TRUE;)
#define ON_WM_SYSCOMMAND() AFX_WINDOW_ENTRY(WM_SYSCOMMAND, self->OnSysCommand((UINT)call.wParam, call.lParam); return TRUE;)
#define ON_WM_CONTEXTMENU() \
    AFX_WINDOW_ENTRY(WM_CONTEXTMENU, self->OnContextMenu(AFX_WND_FROM(call.wParam), AFX_POINT_OF(call.lParam)); return TRUE;)

// void (UINT nFlags, CPoint point) in client coordinates
#define AFX_MOUSE_ENTRY(message, memberFxn) \
    AFX_WINDOW_ENTRY(message, self->memberFxn((UINT)call.wParam, AFX_POINT_OF(call.lParam)); return TRUE;)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MBUTTONDOWN() AFX_MOUSE_ENTRY(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_MBUTTONUP() AFX_MOUSE_ENTRY(WM_MBUTTONUP, OnMButtonUp)
// void (UINT nHitTest, CPoint point) in screen coordinates
#define ON_WM_NCLBUTTONDOWN() AFX_MOUSE_ENTRY(WM_NCLBUTTONDOWN, OnNcLButtonDown)
#define ON_WM_NCLBUTTONUP() AFX_MOUSE_ENTRY(WM_NCLBUTTONUP, OnNcLButtonUp)
#define ON_WM_NCLBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
#define ON_WM_NCMOUSEMOVE() AFX_MOUSE_ENTRY(WM_NCMOUSEMOVE, OnNcMouseMove)
// BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint point)
#define ON_WM_MOUSEWHEEL() \
    AFX_WINDOW_ENTRY(WM_MOUSEWHEEL, call.result = self->OnMouseWheel(LOWORD(call.wParam), (short)HIWORD(call.wParam), AFX_POINT_OF(call.lParam)); return TRUE;)

// void (UINT nChar, UINT nRepCnt, UINT nFlags)
#define AFX_KEY_ENTRY(message, memberFxn) \
    AFX_WINDOW_ENTRY(message, self->memberFxn((UINT)call.wParam, LOWORD(call.lParam), HIWORD(call.lParam)); return TRUE;)
#define ON_WM_KEYDOWN() AFX_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() AFX_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_SYSKEYDOWN() AFX_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SYSKEYUP() AFX_KEY_ENTRY(WM_SYSKEYUP, OnSysKeyUp)
#define ON_WM_CHAR() AFX_KEY_ENTRY(WM_CHAR, OnChar)

// void (UINT nSBCode, UINT nPos, CScrollBar*)
#define ON_WM_HSCROLL() \
    AFX_WINDOW_ENTRY(WM_HSCROLL, self->OnHScroll(LOWORD(call.wParam), HIWORD(call.wParam), \
        reinterpret_cast<CScrollBar*>(call.lParam ? AFX_WND_FROM(call.lParam) : nullptr)); return TRUE;)
#define ON_WM_VSCROLL() \
    AFX_WINDOW_ENTRY(WM_VSCROLL, self->OnVScroll(LOWORD(call.wParam), HIWORD(call.wParam), \
        reinterpret_cast<CScrollBar*>(call.lParam ? AFX_WND_FROM(call.lParam) : nullptr)); return TRUE;)
// int (UINT nKey or nChar, CListBox*, UINT nIndex)
#define ON_WM_VKEYTOITEM() \
    AFX_WINDOW_ENTRY(WM_VKEYTOITEM, call.result = self->OnVKeyToItem(LOWORD(call.wParam), \
        reinterpret_cast<CListBox*>(AFX_WND_FROM(call.lParam)), HIWORD(call.wParam)); return TRUE;)
#define ON_WM_CHARTOITEM() \
    AFX_WINDOW_ENTRY(WM_CHARTOITEM, call.result = self->OnCharToItem(LOWORD(call.wParam), \
        reinterpret_cast<CListBox*>(AFX_WND_FROM(call.lParam)), HIWORD(call.wParam)); return TRUE;)

// HBRUSH OnCtlColor(CDC*, CWnd* control, UINT nCtlColor)
#define ON_WM_CTLCOLOR() \
    AFX_WINDOW_ENTRY(AFX_WM_CTLCOLOR, call.result = reinterpret_cast<LRESULT>(self->OnCtlColor( \
        CDC::FromHandle(reinterpret_cast<HDC>(call.wParam)), AFX_WND_FROM(call.lParam), call.nCode)); return TRUE;)
// void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT), void OnMeasureItem(int, LPMEASUREITEMSTRUCT)
#define ON_WM_DRAWITEM() \
    AFX_WINDOW_ENTRY(WM_DRAWITEM, self->OnDrawItem((int)call.wParam, reinterpret_cast<LPDRAWITEMSTRUCT>(call.lParam)); call.result = TRUE; return TRUE;)
#define ON_WM_MEASUREITEM() \
    AFX_WINDOW_ENTRY(WM_MEASUREITEM, self->OnMeasureItem((int)call.wParam, reinterpret_cast<LPMEASUREITEMSTRUCT>(call.lParam)); call.result = TRUE; return TRUE;)

// Menus: void OnInitMenuPopup(CMenu*, UINT nIndex, BOOL bSysMenu),
// void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU), LRESULT OnMenuChar(UINT, UINT, CMenu*)
#define ON_WM_INITMENUPOPUP() \
    AFX_WINDOW_ENTRY(WM_INITMENUPOPUP, self->OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(call.wParam)), \
        LOWORD(call.lParam), (BOOL)HIWORD(call.lParam)); return TRUE;)
#define ON_WM_MENUSELECT() \
    AFX_WINDOW_ENTRY(WM_MENUSELECT, self->OnMenuSelect(LOWORD(call.wParam), HIWORD(call.wParam), \
        reinterpret_cast<HMENU>(call.lParam)); return TRUE;)
#define ON_WM_MENUCHAR() \
    AFX_WINDOW_ENTRY(WM_MENUCHAR, call.result = self->OnMenuChar(LOWORD(call.wParam), HIWORD(call.wParam), \
        CMenu::FromHandle(reinterpret_cast<HMENU>(call.lParam))); return TRUE;)
