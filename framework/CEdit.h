// Edit control.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

class CEdit : public CWnd
{
    DECLARE_DYNAMIC(CEdit)
public:
    CEdit() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    void GetSel(int& nStartChar, int& nEndChar) const;
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE);
    void SetLimitText(UINT nMax);
    UINT GetLimitText() const;
    int GetLineCount() const;
    // The text of line nIndex (without its line break).
    CString GetLine(int nIndex) const;
    int LineIndex(int nLine = -1) const;
    void LineScroll(int nLines, int nChars = 0);
    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
    BOOL GetModify() const;
    void SetModify(BOOL bModified = TRUE);
    void SetPasswordChar(TCHAR ch);
    BOOL Undo();
    void Cut();
    void Copy();
    void Paste();
    void Clear();
};
