// The Modbus debug console: single requests to one connected device (read, write from
// numbers or a quoted string, write a coil, raw bytes) with every register shown as
// hexadecimal, decimal and characters. Inputs are hexadecimal unless marked otherwise.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "shell/CListBoxClipboard.h"

#include <string>
#include <vector>

class CConnectionGeneric1;

const int MODBUS_DEBUG_ACTION_READ = 0;
const int MODBUS_DEBUG_ACTION_WRITE = 1;
const int MODBUS_DEBUG_ACTION_WRITE_COIL = 2;
const int MODBUS_DEBUG_ACTION_RAW = 3;
const int MODBUS_DEBUG_READ_BLOCK = 125;
const int MODBUS_DEBUG_OUTPUT_PIECE = 50;

class CDialogModbusDebug : public CDialog
{
public:
    CDialogModbusDebug(CConnectionGeneric1* connection, CWnd* parent);

    // The text rules of the console; each throws std::runtime_error with the text the
    // console shows after "Error: ".
    // A number of at most 0xFFFF: "0x" hexadecimal, "b." binary, a leading 0 octal when
    // allowed, else the default base (2, 8, 10 or 16).
    static unsigned ParseNumber(const std::string& text, int defaultBase, bool allowOctal);
    // "first-last" (true) or one address (false); hexadecimal protocol addresses.
    static bool ParsePduRange(const std::string& text, unsigned& first, unsigned& last);
    // Text with escapes into the registers, two bytes each, low byte first; the last
    // register stays free for the terminating NUL.
    static void StringToRegisters(const std::string& text, std::vector<WORD>& registers);
    static std::string EscapeChar(BYTE value);
    static std::string RegistersToQuotedString(const std::vector<WORD>& registers);
    static std::string BytesToQuotedString(const std::vector<BYTE>& bytes);
    static std::string FormatRegisterLine(unsigned address, WORD value);
    // Splits at the separator; quote (NUL: none) protects separators; a backslash takes
    // the next character as it is. The number of tokens, 0 for an empty text.
    static int Tokenize(const std::string& text, char separator, char quote, std::vector<std::string>& tokens);
    // The pieces of at most 50 characters the output list shows a text in.
    static std::vector<std::string> SplitOutputText(const std::string& text);

    void AppendRegisterLine(unsigned address, WORD value);
    void AppendOutputText(const std::string& text);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Send: the dialog stays open; it closes only by Cancel.
    void OnOK() override;
    afx_msg void OnActionClicked();

    DECLARE_MESSAGE_MAP()

private:
    void EnableControlGroup(int index);
    void OnSend();
    void SendRead(unsigned first, unsigned last);
    void SendWrite(unsigned first, unsigned last);
    void SendWriteCoil(unsigned address);
    void SendRaw();
    std::string ControlText(int id) const;

    CConnectionGeneric1* m_connection;   // not owned
    int m_action;
    int m_coilState;
    CListBoxClipboard m_outputList;
    bool m_showRegisterLines;
    BOOL m_showString;
    std::vector<std::vector<int>> m_controlGroups;
};
