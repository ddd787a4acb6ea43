#include "tests/support/ControlTextFit.h"

#include <commctrl.h>

#include <cstring>
#include <sstream>

namespace testing_support {

namespace {

std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::GetWindowTextA(window, &text[0], length + 1);
    text.resize(std::strlen(text.c_str()));
    return text;
}

// The entries of a list or combo box, by its count, length and text messages.
std::vector<std::string> Entries(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage)
{
    std::vector<std::string> entries;
    const int count = static_cast<int>(::SendMessageA(control, countMessage, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        const int length = static_cast<int>(::SendMessageA(control, lengthMessage, i, 0));
        if (length <= 0)
            continue;
        std::string entry(static_cast<size_t>(length) + 1, '\0');
        ::SendMessageA(control, textMessage, i, reinterpret_cast<LPARAM>(&entry[0]));
        entry.resize(std::strlen(entry.c_str()));
        entries.push_back(entry);
    }
    return entries;
}

bool IsDialog(HWND window)
{
    return ClassOf(window) == "#32770";
}

// A device context of the control with the control's own font selected.
class ControlFont
{
public:
    explicit ControlFont(HWND control) : m_control(control), m_dc(::GetDC(control))
    {
        HFONT font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
        m_old = ::SelectObject(m_dc, font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
    }
    ~ControlFont()
    {
        ::SelectObject(m_dc, m_old);
        ::ReleaseDC(m_control, m_dc);
    }
    ControlFont(const ControlFont&) = delete;
    ControlFont& operator=(const ControlFont&) = delete;

    // The size the text takes as DrawText lays it out; wrapWidth is used with DT_WORDBREAK.
    SIZE Extent(const std::string& text, UINT format, int wrapWidth = 0) const
    {
        RECT rect = {0, 0, wrapWidth, 0};
        ::DrawTextA(m_dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
        return {rect.right - rect.left, rect.bottom - rect.top};
    }
    int LineHeight() const
    {
        TEXTMETRICA metrics = {};
        ::GetTextMetricsA(m_dc, &metrics);
        return metrics.tmHeight;
    }
    int DotsPerInch() const { return ::GetDeviceCaps(m_dc, LOGPIXELSX); }
    int DigitWidth() const
    {
        INT width = 0;
        ::GetCharWidth32A(m_dc, '0', '0', &width);
        return width;
    }

private:
    HWND m_control;
    HDC m_dc;
    HGDIOBJ m_old;
};

class Checker
{
public:
    std::vector<std::string> cut;

    void Control(HWND control)
    {
        const std::string kind = ClassOf(control);
        const LONG style = ::GetWindowLongA(control, GWL_STYLE);
        RECT client = {};
        ::GetClientRect(control, &client);
        const int width = client.right;
        const int height = client.bottom;
        if (kind == "Static")
            Static(control, style, width, height);
        else if (kind == "Button")
            Button(control, style, width, height);
        else if (kind == "Edit")
            Edit(control, style, width, height);
        else if (kind == "ComboBox")
            Combo(control);
        else if (kind == "ListBox")
            List(control, style, width);
    }

private:
    void Report(HWND control, const std::string& what, SIZE needed, int width, int height)
    {
        HWND dialog = ::GetParent(control);
        std::ostringstream line;
        line << "\"" << TextOf(dialog) << "\" control " << ::GetDlgCtrlID(control) << " " << what << ": needs "
             << needed.cx << "x" << needed.cy << ", has " << width << "x" << height;
        cut.push_back(line.str());
    }

    // The text must lie where it can be seen: inside the client area of its dialog and of
    // every window that holds the dialog (a page larger than its sheet's page area is cut).
    void Placement(HWND control, const std::string& text)
    {
        HWND dialog = ::GetParent(control);
        RECT visible = ClientOnScreen(dialog);
        for (HWND holder = dialog; ::GetWindowLongA(holder, GWL_STYLE) & WS_CHILD;)
        {
            holder = ::GetParent(holder);
            if (holder == nullptr)
                break;
            const RECT area = ClientOnScreen(holder);
            ::IntersectRect(&visible, &visible, &area);
        }
        RECT rect = {};
        ::GetWindowRect(control, &rect);
        if (rect.left < visible.left || rect.top < visible.top || rect.right > visible.right ||
            rect.bottom > visible.bottom)
        {
            std::ostringstream line;
            line << "\"" << TextOf(dialog) << "\" control " << ::GetDlgCtrlID(control) << " \"" << text
                 << "\" lies outside what its window shows: " << rect.left << "," << rect.top << "-" << rect.right
                 << "," << rect.bottom << " in " << visible.left << "," << visible.top << "-" << visible.right << ","
                 << visible.bottom;
            cut.push_back(line.str());
        }
    }

    static RECT ClientOnScreen(HWND window)
    {
        RECT rect = {};
        ::GetClientRect(window, &rect);
        ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    // A text inside a group box keeps clear of its frame: the etched line would run
    // through the text's lowest pixels.
    void Framing(HWND control, const std::string& text, const RECT& rect)
    {
        HWND dialog = ::GetParent(control);
        for (HWND box = ::GetWindow(dialog, GW_CHILD); box != nullptr; box = ::GetWindow(box, GW_HWNDNEXT))
        {
            if (box == control || ClassOf(box) != "Button" ||
                (::GetWindowLongA(box, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX)
                continue;
            RECT frame = {};
            ::GetWindowRect(box, &frame);
            RECT common = {};
            if (!::IntersectRect(&common, &frame, &rect))
                continue;
            // The frame's line is two pixels wide; one more keeps the text off it.
            if (rect.left < frame.left + 3 || rect.right > frame.right - 3 || rect.bottom > frame.bottom - 3)
            {
                std::ostringstream line;
                line << "\"" << TextOf(dialog) << "\" control " << ::GetDlgCtrlID(control) << " \"" << text
                     << "\" runs into the frame of \"" << TextOf(box) << "\"";
                cut.push_back(line.str());
            }
        }
    }

    // Where the control draws its text: from the left after an indent, centred or on the
    // right; at the top (a static) or centred in the height.
    struct Layout
    {
        enum Align { Left, Centre, Right } align;
        int indent;
        bool top;
    };

    void Fit(HWND control, const std::string& text, const ControlFont& font, UINT format, bool wraps, int width,
             int height, Layout layout)
    {
        const SIZE needed = font.Extent(text, format | (wraps ? DT_WORDBREAK : DT_SINGLELINE), width);
        if (needed.cx > width || needed.cy > height)
            Report(control, "\"" + text + "\"", needed, width, height);
        Placement(control, text);
        RECT client = {};
        ::GetClientRect(control, &client);
        ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&client), 2);
        RECT drawn = client;
        if (layout.align == Layout::Left)
            drawn.left += layout.indent;
        else if (layout.align == Layout::Centre)
            drawn.left += (client.right - client.left - needed.cx) / 2;
        else
            drawn.left = client.right - layout.indent - needed.cx;
        drawn.right = drawn.left + needed.cx;
        if (!layout.top)
            drawn.top += (client.bottom - client.top - needed.cy) / 2;
        drawn.bottom = drawn.top + needed.cy;
        Framing(control, text, drawn);
    }

    void Static(HWND control, LONG style, int width, int height)
    {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
            return;
        const std::string text = TextOf(control);
        if (text.empty())
            return;
        const bool wraps = (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) && !(style & SS_CENTERIMAGE);
        const UINT format = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
        const Layout layout = {type == SS_CENTER ? Layout::Centre : type == SS_RIGHT ? Layout::Right : Layout::Left, 0,
                               !(style & SS_CENTERIMAGE)};
        Fit(control, text, ControlFont(control), format, wraps, width, height, layout);
    }

    void Button(HWND control, LONG style, int width, int height)
    {
        const LONG type = style & BS_TYPEMASK;
        if (style & (BS_ICON | BS_BITMAP))
            return;
        const std::string text = TextOf(control);
        if (text.empty() || type == BS_OWNERDRAW || type == BS_USERBUTTON)
            return;
        ControlFont font(control);
        const bool wraps = (style & BS_MULTILINE) != 0;
        switch (type)
        {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            // The raised frame, two pixels on each side.
            Fit(control, text, font, 0, wraps, width - 4, height - 4, {Layout::Centre, 0, false});
            break;
        case BS_GROUPBOX:
            // The label stands 7 pixels in from either side, on the frame's top line.
            Fit(control, text, font, 0, wraps, width - 14, font.LineHeight(), {Layout::Left, 7, true});
            break;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        {
            // The box (12 pixels and a line at 96 dots an inch) and half a digit's gap.
            const int box = 12 * font.DotsPerInch() / 96 + 1;
            const int indent = box + font.DigitWidth() / 2;
            Fit(control, text, font, 0, wraps, width - indent, height, {Layout::Left, indent, false});
            break;
        }
        default:
            break;
        }
    }

    void Edit(HWND control, LONG style, int width, int height)
    {
        if (style & (ES_MULTILINE | ES_PASSWORD))
            return;
        const std::string text = TextOf(control);
        if (text.empty())
            return;
        const DWORD margins = static_cast<DWORD>(::SendMessageA(control, EM_GETMARGINS, 0, 0));
        const int room = width - LOWORD(margins) - HIWORD(margins);
        Fit(control, text, ControlFont(control), DT_NOPREFIX, false, room, height, {Layout::Left, LOWORD(margins), false});
    }

    // Each entry against the selection field that shows it.
    void Combo(HWND control)
    {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (!::GetComboBoxInfo(control, &info))
            return;
        // One pixel of the field's inner frame and one of the text's own indent on each side.
        const int width = info.rcItem.right - info.rcItem.left - 3;
        const int height = info.rcItem.bottom - info.rcItem.top;
        ControlFont font(control);
        for (const std::string& entry : Entries(control, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT))
            Fit(control, entry, font, DT_NOPREFIX, false, width, height, {Layout::Left, 2, false});
    }

    // A list that scrolls sideways shows its long lines that way.
    void List(HWND control, LONG style, int width)
    {
        if ((style & WS_HSCROLL) || ((style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS)))
            return;
        ControlFont font(control);
        const int itemHeight = static_cast<int>(::SendMessageA(control, LB_GETITEMHEIGHT, 0, 0));
        // An entry is drawn one pixel in from the left.
        for (const std::string& entry : Entries(control, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT))
            Fit(control, entry, font, DT_NOPREFIX | DT_EXPANDTABS, false, width - 1, itemHeight, {Layout::Left, 1, true});
    }
};

BOOL CALLBACK CheckChild(HWND child, LPARAM user)
{
    // Only the controls of dialogs: the parts of a composite control are its own affair.
    if (IsDialog(::GetParent(child)))
        reinterpret_cast<Checker*>(user)->Control(child);
    return TRUE;
}

} // namespace

std::vector<std::string> CutTexts(HWND window)
{
    Checker checker;
    ::EnumChildWindows(window, CheckChild, reinterpret_cast<LPARAM>(&checker));
    return checker.cut;
}

} // namespace testing_support
