// The context of a whole window, frame included, released on destruction.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDC.h"

class CWnd;

class CWindowDC : public CDC
{
    DECLARE_DYNAMIC(CWindowDC)
public:
    // NULL gives the screen. Throws CResourceException* when no context is given.
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd = nullptr;
};
