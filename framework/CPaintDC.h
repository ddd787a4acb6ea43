// The context of a WM_PAINT handler: BeginPaint on construction, EndPaint on destruction.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDC.h"

class CWnd;

class CPaintDC : public CDC
{
    DECLARE_DYNAMIC(CPaintDC)
public:
    // Throws CResourceException* when the window gives no context.
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd = nullptr;
};
