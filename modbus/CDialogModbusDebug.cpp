#include "modbus/CDialogModbusDebug.h"
#include "documents/CConnectionGeneric1.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "framework/MessageMap.h"
#include "modbus/CModbus.h"
#include "res/pyraxis_resource.h"

#include <algorithm>
#include <cctype>
#include <iomanip>
#include <cstdio>
#include <sstream>
#include <stdexcept>

BEGIN_MESSAGE_MAP(CDialogModbusDebug, CDialog)
    ON_BN_CLICKED(IDC_DEBUG_READ, OnActionClicked)
    ON_BN_CLICKED(IDC_DEBUG_WRITE, OnActionClicked)
    ON_BN_CLICKED(IDC_DEBUG_WRITE_COIL, OnActionClicked)
    ON_BN_CLICKED(IDC_DEBUG_RAW, OnActionClicked)
END_MESSAGE_MAP()

namespace
{
int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

unsigned long long ParseInBase(const std::string& text, int base)
{
    std::istringstream stream(text);
    unsigned long long value = 0;
    stream >> std::setbase(base) >> value;
    if (stream.fail())
        throw std::runtime_error("couldn't convert value to a number");
    if (stream.peek() != std::char_traits<char>::eof())
        throw std::runtime_error("value has illegal characters in it");
    return value;
}

unsigned long long ParseBinary(const std::string& digits)
{
    if (digits.size() > 32)
        throw std::runtime_error("binary string is too long (max 32 bits)");
    unsigned long long value = 0;
    for (char digit : digits) {
        if (digit != '0' && digit != '1')
            throw std::runtime_error("invalid digit in binary string (must be 0 or 1)");
        value = (value << 1) | static_cast<unsigned>(digit - '0');
    }
    return value;
}

std::string HexBytes(const std::vector<BYTE>& bytes)
{
    std::string text;
    char part[8];
    for (size_t index = 0; index < bytes.size(); ++index) {
        std::snprintf(part, sizeof part, index == 0 ? "%02x" : ", %02x", bytes[index]);
        text += part;
    }
    return text;
}
} // namespace

CDialogModbusDebug::CDialogModbusDebug(CConnectionGeneric1* connection, CWnd* parent)
    : CDialog(IDD_MODBUS_DEBUG, parent), m_connection(connection), m_action(MODBUS_DEBUG_ACTION_READ),
      m_coilState(1), m_showRegisterLines(true), m_showString(FALSE),
      m_controlGroups{{IDC_DEBUG_READ_ADDRESS},
                      {IDC_DEBUG_WRITE_ADDRESS, IDC_DEBUG_WRITE_VALUES},
                      {IDC_DEBUG_COIL_ADDRESS, IDC_DEBUG_COIL_OFF, IDC_DEBUG_COIL_ON},
                      {IDC_DEBUG_RAW_BYTES}}
{
}

unsigned CDialogModbusDebug::ParseNumber(const std::string& text, int defaultBase, bool allowOctal)
{
    if (text.empty())
        throw std::runtime_error("empty value");
    unsigned long long value = 0;
    if (text.size() >= 2 && text.compare(0, 2, "0x") == 0)
        value = ParseInBase(text.substr(2), 16);
    else if (text.size() >= 2 && text.compare(0, 2, "b.") == 0)
        value = ParseBinary(text.substr(2));
    else if (text[0] == '0' && allowOctal)
        value = ParseInBase(text, 8);
    else if (defaultBase == 2)
        value = ParseBinary(text);
    else
        value = ParseInBase(text, defaultBase);
    // A negative entry wraps around to a huge number and is refused here as well.
    if (value > 0xFFFF)
        throw std::runtime_error("value too large (must be <= 0xFFFF)");
    return static_cast<unsigned>(value);
}

bool CDialogModbusDebug::ParsePduRange(const std::string& text, unsigned& first, unsigned& last)
{
    const size_t dash = text.find('-');
    if (dash == std::string::npos) {
        first = last = ParseNumber(text, 16, false);
        return false;
    }
    first = ParseNumber(text.substr(0, dash), 16, false);
    last = ParseNumber(text.substr(dash + 1), 16, false);
    if (last < first)
        throw std::runtime_error("starting PDU address is greater than ending PDU address");
    return true;
}

void CDialogModbusDebug::StringToRegisters(const std::string& text, std::vector<WORD>& registers)
{
    for (WORD& word : registers)
        word = 0;
    size_t byteCount = 0;
    auto store = [&](BYTE value) {
        if (registers.empty())
            throw std::runtime_error("string is too long to fit in the given number of registers");
        if (byteCount >= 2 * (registers.size() - 1))
            throw std::runtime_error(
                "string is too long to fit in the given number of registers: would overwrite trailing nul");
        WORD& word = registers[byteCount / 2];
        word = static_cast<WORD>(byteCount % 2 == 0 ? (word & 0xFF00) | value : (word & 0x00FF) | (value << 8));
        ++byteCount;
    };
    for (size_t position = 0; position < text.size(); ++position) {
        const char c = text[position];
        if (c != '\\') {
            store(static_cast<BYTE>(c));
            continue;
        }
        if (++position >= text.size())
            break;
        const char escaped = text[position];
        switch (escaped) {
        case 'n':
            store('\n');
            break;
        case 'r':
            store('\r');
            break;
        case 't':
            store('\t');
            break;
        case '0':
            store(0);
            break;
        case 'x': {
            // Two hexadecimal digits; a character that is none drops the escape and is
            // stored as it is.
            int value = 0;
            int digits = 0;
            while (digits < 2 && ++position < text.size()) {
                const int digit = HexDigitValue(text[position]);
                if (digit < 0) {
                    store(static_cast<BYTE>(text[position]));
                    break;
                }
                value = value * 16 + digit;
                ++digits;
            }
            if (digits == 2)
                store(static_cast<BYTE>(value));
            break;
        }
        default:
            store(static_cast<BYTE>(escaped));
            break;
        }
    }
}

std::string CDialogModbusDebug::EscapeChar(BYTE value)
{
    switch (value) {
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    default:
        break;
    }
    if (value >= 0x20 && value < 0x7F)
        return std::string(1, static_cast<char>(value));
    char text[8];
    std::snprintf(text, sizeof text, "\\0x%02x", value);
    return text;
}

std::string CDialogModbusDebug::RegistersToQuotedString(const std::vector<WORD>& registers)
{
    std::string text = "\"";
    for (WORD word : registers)
        text += EscapeChar(static_cast<BYTE>(word & 0xFF)) + EscapeChar(static_cast<BYTE>(word >> 8));
    return text + "\"";
}

std::string CDialogModbusDebug::BytesToQuotedString(const std::vector<BYTE>& bytes)
{
    std::string text = "\"";
    for (BYTE value : bytes)
        text += EscapeChar(value);
    return text + "\"";
}

std::string CDialogModbusDebug::FormatRegisterLine(unsigned address, WORD value)
{
    char text[64];
    std::snprintf(text, sizeof text, "0x%04x: 0x%04x, %5u, \"", address, value, static_cast<unsigned>(value));
    return text + EscapeChar(static_cast<BYTE>(value & 0xFF)) + EscapeChar(static_cast<BYTE>(value >> 8)) + "\"";
}

int CDialogModbusDebug::Tokenize(const std::string& text, char separator, char quote,
                                 std::vector<std::string>& tokens)
{
    tokens.clear();
    if (text.empty())
        return 0;
    std::string token;
    bool quoted = false;
    for (size_t position = 0; position < text.size(); ++position) {
        const char c = text[position];
        if (c == '\\') {
            if (++position < text.size())
                token += text[position];
        } else if (quote != '\0' && c == quote) {
            quoted = !quoted;
        } else if (!quoted && c == separator) {
            tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    tokens.push_back(token);
    return static_cast<int>(tokens.size());
}

std::vector<std::string> CDialogModbusDebug::SplitOutputText(const std::string& text)
{
    std::vector<std::string> pieces;
    for (size_t start = 0; start < text.size(); start += MODBUS_DEBUG_OUTPUT_PIECE)
        pieces.push_back(text.substr(start, MODBUS_DEBUG_OUTPUT_PIECE));
    return pieces;
}

void CDialogModbusDebug::AppendRegisterLine(unsigned address, WORD value)
{
    m_outputList.AddString(FormatRegisterLine(address, value).c_str());
}

void CDialogModbusDebug::AppendOutputText(const std::string& text)
{
    for (const std::string& piece : SplitOutputText(text))
        m_outputList.AddString(piece.c_str());
}

void CDialogModbusDebug::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_DEBUG_READ, m_action);
    DDX_Radio(pDX, IDC_DEBUG_COIL_OFF, m_coilState);
    DDX_Check(pDX, IDC_DEBUG_SHOW_STRING, m_showString);
    DDX_Control(pDX, IDC_DEBUG_OUTPUT, m_outputList);
}

BOOL CDialogModbusDebug::OnInitDialog()
{
    m_action = MODBUS_DEBUG_ACTION_READ;
    CDialog::OnInitDialog();
    UpdateData(FALSE);
    EnableControlGroup(m_action);
    return FALSE;
}

void CDialogModbusDebug::OnActionClicked()
{
    UpdateData(TRUE);
    EnableControlGroup(m_action);
}

void CDialogModbusDebug::EnableControlGroup(int index)
{
    for (size_t group = 0; group < m_controlGroups.size(); ++group) {
        for (int id : m_controlGroups[group]) {
            if (CWnd* control = GetDlgItem(id))
                control->EnableWindow(static_cast<int>(group) == index);
        }
    }
    if (index >= 0 && index < static_cast<int>(m_controlGroups.size()))
        if (CWnd* first = GetDlgItem(m_controlGroups[index].front()))
            first->SetFocus();
}

void CDialogModbusDebug::OnOK()
{
    OnSend();
}

std::string CDialogModbusDebug::ControlText(int id) const
{
    CString text;
    GetDlgItemText(id, text);
    return static_cast<const char*>(text);
}

void CDialogModbusDebug::OnSend()
{
    m_outputList.ResetContent();
    if (!UpdateData(TRUE))
        return;
    try {
        unsigned first = 0, last = 0;
        switch (m_action) {
        case MODBUS_DEBUG_ACTION_READ:
            ParsePduRange(ControlText(IDC_DEBUG_READ_ADDRESS), first, last);
            SendRead(first, last);
            break;
        case MODBUS_DEBUG_ACTION_WRITE:
            ParsePduRange(ControlText(IDC_DEBUG_WRITE_ADDRESS), first, last);
            SendWrite(first, last);
            break;
        case MODBUS_DEBUG_ACTION_WRITE_COIL:
            ParsePduRange(ControlText(IDC_DEBUG_COIL_ADDRESS), first, last);
            SendWriteCoil(first);
            break;
        case MODBUS_DEBUG_ACTION_RAW:
            SendRaw();
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        AfxMessageBox((std::string("Error: ") + e.what()).c_str(), MB_ICONERROR);
    }
}

void CDialogModbusDebug::SendRead(unsigned first, unsigned last)
{
    for (unsigned start = first; start <= last;) {
        const unsigned count = std::min<unsigned>(last - start + 1, MODBUS_DEBUG_READ_BLOCK);
        std::vector<WORD> block(count, 0);
        if (!m_connection->TryReadRegisters(static_cast<int>(start), block.data(), static_cast<int>(count))) {
            char text[128];
            std::snprintf(text, sizeof text, "unable to read %u Modbus register(s) starting at 0x%x", count, start);
            throw std::runtime_error(text);
        }
        for (unsigned index = 0; index < count && m_showRegisterLines; ++index)
            AppendRegisterLine(start + index, block[index]);
        if (m_showString)
            AppendOutputText(RegistersToQuotedString(block));
        start += count;
    }
}

void CDialogModbusDebug::SendWrite(unsigned first, unsigned last)
{
    std::vector<WORD> registers(last - first + 1, 0);
    const std::string values = ControlText(IDC_DEBUG_WRITE_VALUES);
    if (values.size() >= 2 && values.front() == '"' && values.back() == '"') {
        StringToRegisters(values.substr(1, values.size() - 2), registers);
    } else {
        std::vector<std::string> tokens;
        Tokenize(values, ',', '\0', tokens);
        for (size_t index = 0; index < registers.size() && index < tokens.size(); ++index)
            registers[index] = static_cast<WORD>(ParseNumber(tokens[index], 16, false));
    }
    for (size_t index = 0; index < registers.size(); ++index) {
        m_connection->WriteRegister(static_cast<int>(first + index), registers[index]);
        if (m_showRegisterLines)
            AppendRegisterLine(first + static_cast<unsigned>(index), registers[index]);
    }
    if (m_showString)
        AppendOutputText(RegistersToQuotedString(registers));
}

void CDialogModbusDebug::SendWriteCoil(unsigned address)
{
    const bool on = m_coilState == 1;
    m_connection->WriteCoil(static_cast<int>(address), on);
    if (m_showRegisterLines)
        AppendRegisterLine(address, CModbus::CoilValue(on ? 1 : 0));
}

void CDialogModbusDebug::SendRaw()
{
    std::vector<std::string> tokens;
    Tokenize(ControlText(IDC_DEBUG_RAW_BYTES), ',', '\0', tokens);
    std::vector<BYTE> request;
    for (const std::string& token : tokens)
        request.push_back(static_cast<BYTE>(ParseNumber(token, 16, false) & 0xFF));
    AppendOutputText("Sent (hex): " + HexBytes(request));
    std::vector<BYTE> reply;
    m_connection->WriteRawModbus(request, reply);
    AppendOutputText("Received (hex): " + HexBytes(reply));
    if (m_showString)
        AppendOutputText(BytesToQuotedString(reply));
}
