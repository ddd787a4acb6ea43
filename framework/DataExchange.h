// Data exchange (DDX_) and validation (DDV_) helpers for a dialog's DoDataExchange.
// When saving, a text that is not a number or a value out of range shows the
// framework's own message, puts the focus on the control and fails the exchange.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDataExchange.h"
#include "framework/CString.h"

class CWnd;

// Edit control text <-> value.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// Check box state (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE).
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// nIDC is the first radio button of a group: value is the index of the checked one
// in the group, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& index);
// Selected index of a combo box or a list box, -1 for none.
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
// Text of a combo box (its edit, or the selected item).
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
// Subclasses the control with the object the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// Validation, right after the DDX_ call of the same control; only when saving.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal);
void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal);
void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal);
// When loading, limits the edit control to nChars characters.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
