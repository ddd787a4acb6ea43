// The context of a window's client area, released on destruction.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDC.h"

class CWnd;

class CClientDC : public CDC
{
    DECLARE_DYNAMIC(CClientDC)
public:
    // NULL gives the screen. Throws CResourceException* when no context is given.
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd = nullptr;
};
