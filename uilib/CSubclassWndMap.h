// The process's one map from a hooked window to the first hook of its chain.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMapPtrToPtr.h"
#include "uilib/UiLibExport.h"

class CSubclassWnd;

class UILIB_API CSubclassWndMap : public CMapPtrToPtr
{
    DECLARE_DYNAMIC(CSubclassWndMap)
public:
    CSubclassWndMap();
    ~CSubclassWndMap() override;

    // Made on first use, gone at the program's end.
    static CSubclassWndMap& GetHookMap();

    // Puts the hook first on the window's chain; the first hook of a window subclasses it.
    void Add(HWND hWnd, CSubclassWnd* pSubclassWnd);
    // Takes the hook out of its window's chain; the last one gives the window its old
    // procedure back.
    void Remove(CSubclassWnd* pSubclassWnd);
    // Unhooks every hook of the window.
    void RemoveAll(HWND hWnd);
    // The first hook of the window, NULL when it has none.
    CSubclassWnd* Lookup(HWND hWnd) const;
};
