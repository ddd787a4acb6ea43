// The flat combo box (completion of typed text, its frame in each state, hot tracking by
// the cursor and the focus) and the font combo box (the TrueType fonts of the system,
// symbol fonts left out; the selected font; drawing an item in its face).
#include <gtest/gtest.h>

#include "framework/CFrameWnd.h"
#include "framework/CWinApp.h"
#include "tests/support/DibCanvas.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Screenshot.h"
#include "tests/support/Polling.h"
#include "uilib/CBNFlatComboBox.h"
#include "uilib/CBNFontCombo.h"

#include <map>
#include <set>
#include <string>

namespace {

const UINT kComboId = 0x300;

// Types one character into the combo's edit as the keyboard would (the edit changes its
// text and its combo box reports the change to the frame, which reflects it back).
void Type(CComboBox& combo, char ch)
{
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetComboBoxInfo(combo.m_hWnd, &info));
    ::SendMessageA(info.hwndItem, WM_CHAR, static_cast<WPARAM>(ch), 1);
}

std::string Text(CWnd& wnd)
{
    CString text;
    wnd.GetWindowText(text);
    return std::string(text);
}

std::pair<int, int> Selection(CComboBox& combo)
{
    const DWORD selection = combo.GetEditSel();
    return {LOWORD(selection), HIWORD(selection)};
}

class ComboBoxes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "Combo boxes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 440, 240)));
    }
    void TearDown() override
    {
        if (frame != nullptr && ::IsWindow(frame->m_hWnd))
            frame->DestroyWindow();
        testing_support::DispatchPendingMessages();
    }

    CWinApp app{"ComboBoxes"};
    CFrameWnd* frame = nullptr;
};

} // namespace

TEST_F(ComboBoxes, FlatComboCompletesTypedTextOnlyWhenAskedAndKeepsAMidTextCaret)
{
    CBNFlatComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL, CRect(10, 10, 210, 200), frame,
                             kComboId));
    for (const char* entry : {"Apple", "Apricot", "Banana"})
        combo.AddString(entry);

    // Off by default: typing is just typing.
    EXPECT_FALSE(combo.IsAutoCompletionEnabled());
    Type(combo, 'A');
    Type(combo, 'p');
    EXPECT_EQ(Text(combo), "Ap");
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);

    combo.SetWindowText("");
    combo.EnableAutoCompletion(TRUE);
    Type(combo, 'A');
    EXPECT_EQ(Text(combo), "Apple");
    EXPECT_EQ(Selection(combo), std::make_pair(1, 5));   // the completed part is selected
    Type(combo, 'p');
    Type(combo, 'r');
    EXPECT_EQ(Text(combo), "Apricot");
    EXPECT_EQ(Selection(combo), std::make_pair(3, 7));

    // A prefix no entry has stays as typed, caret after it.
    Type(combo, 'z');
    EXPECT_EQ(Text(combo), "Aprz");
    EXPECT_EQ(Selection(combo), std::make_pair(4, 4));

    // Typing inside the text completes it but leaves the caret where it was.
    combo.SetWindowText("Bnana");
    combo.SetEditSel(1, 1);
    Type(combo, 'a');
    EXPECT_EQ(Text(combo), "Banana");
    EXPECT_EQ(Selection(combo), std::make_pair(2, 2));

    // Emptying the text completes nothing.
    combo.SetWindowText("B");
    combo.SetEditSel(0, 1);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetComboBoxInfo(combo.m_hWnd, &info));
    ::SendMessageA(info.hwndItem, WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(Text(combo), "");
}

TEST_F(ComboBoxes, FlatComboDrawsItsFrameAndNoButtonFrameWhenDisabled)
{
    CBNFlatComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(10, 10, 210, 200), frame, kComboId));
    CRect client;
    combo.GetClientRect(&client);
    DibCanvas canvas(client.Width(), client.Height());
    ASSERT_TRUE(canvas.IsValid());
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const int thumb = ::GetSystemMetrics(SM_CXHTHUMB);
    // The drop button area starts a thumb's width left of the inner frame's right edge.
    const int buttonLeft = client.right - 2 - thumb;
    const int middle = client.Height() / 2;

    canvas.Clear(RGB(1, 2, 3));
    combo.DrawCombo(CBNFlatComboBox::FC_DRAWRAISED, shadow, highlight, &canvas.DC());
    EXPECT_EQ(canvas.Pixel(0, middle), shadow);                       // outer frame, left
    EXPECT_EQ(canvas.Pixel(client.right - 1, middle), highlight);     // outer frame, right
    EXPECT_EQ(canvas.Pixel(1, middle), face);                         // inner frame
    EXPECT_EQ(canvas.Pixel(buttonLeft, middle), highlight);           // the raised button's edge
    EXPECT_EQ(canvas.Pixel(client.right - 3, middle), shadow);

    canvas.Clear(RGB(1, 2, 3));
    combo.DrawCombo(CBNFlatComboBox::FC_DRAWNORMAL, face, face, &canvas.DC());
    EXPECT_EQ(canvas.Pixel(0, middle), face);
    EXPECT_EQ(canvas.Pixel(buttonLeft, middle), highlight);           // flat: a light edge
    EXPECT_EQ(canvas.Pixel(buttonLeft - 1, middle), highlight);       // one pixel wider to the left

    canvas.Clear(RGB(1, 2, 3));
    combo.DrawCombo(CBNFlatComboBox::FC_DRAWPRESSD, shadow, highlight, &canvas.DC());
    EXPECT_EQ(canvas.Pixel(buttonLeft + 1, middle), shadow);          // sunk by one pixel

    combo.EnableWindow(FALSE);
    canvas.Clear(RGB(1, 2, 3));
    combo.DrawCombo(CBNFlatComboBox::FC_DRAWRAISED, shadow, highlight, &canvas.DC());
    EXPECT_EQ(canvas.Pixel(1, middle), highlight);                    // the inner frame shows disabled
    EXPECT_EQ(canvas.Pixel(buttonLeft, middle), face);                // no button frame
    EXPECT_EQ(canvas.Pixel(buttonLeft - 1, middle), RGB(1, 2, 3));
    EXPECT_EQ(canvas.Pixel(client.right - 3, middle), face);
}

TEST_F(ComboBoxes, FlatComboRisesUnderTheCursorAndWithTheFocus)
{
    CBNFlatComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(10, 10, 210, 200), frame, kComboId));
    combo.AddString("one");
    frame->UpdateWindow();
    CRect window;
    combo.GetWindowRect(&window);

    ASSERT_TRUE(testing_support::MoveCursorTo(window.left + 5, window.top + 5));
    combo.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(combo.IsDrawnRaised());
    EXPECT_TRUE(combo.PointInRect());

    // The cursor leaves: flat again at the next step.
    ASSERT_TRUE(testing_support::MoveCursorTo(window.right + 60, window.bottom + 60));
    combo.SendMessage(WM_TIMER, 1);
    EXPECT_FALSE(combo.IsDrawnRaised());
    EXPECT_FALSE(combo.PointInRect());

    // Pressed: the next step sinks it.
    ASSERT_TRUE(testing_support::MoveCursorTo(window.left + 5, window.top + 5));
    combo.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(combo.IsDrawnRaised());
    combo.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(combo.IsPressed());
    combo.SendMessage(WM_TIMER, 1);
    EXPECT_FALSE(combo.IsDrawnRaised());
    combo.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    if (combo.GetDroppedState())
        combo.ShowDropDown(FALSE);
    EXPECT_FALSE(combo.IsPressed());
    ASSERT_TRUE(testing_support::MoveCursorTo(window.right + 60, window.bottom + 60));

    // The focus keeps it raised wherever the cursor is.
    frame->SetForegroundWindow();
    combo.SetFocus();
    testing_support::DispatchPendingMessages();
    ASSERT_TRUE(combo.HasFocusFlag());
    combo.SendMessage(WM_TIMER, 1);
    EXPECT_TRUE(combo.IsDrawnRaised());
    frame->SetFocus();
    testing_support::DispatchPendingMessages();
    EXPECT_FALSE(combo.HasFocusFlag());
    combo.SendMessage(WM_TIMER, 1);
    EXPECT_FALSE(combo.IsDrawnRaised());
}

TEST_F(ComboBoxes, FontComboListsTrueTypeFontsWithoutSymbolFontsAndDrawsEachInItsFace)
{
    // A symbol font and a bitmap font for this program only, so that the system has
    // fonts to leave out.
    const char* extraFonts[] = {"Z:\\usr\\share\\wine\\fonts\\marlett.ttf", "Z:\\usr\\share\\wine\\fonts\\coure.fon"};
    for (const char* path : extraFonts)
        ASSERT_GT(::AddFontResourceExA(path, FR_PRIVATE, nullptr), 0) << path;

    // What the system has, asked independently: face -> (TrueType?, symbol set?).
    struct Face
    {
        bool trueType = false;
        bool symbol = false;
    };
    std::map<std::string, Face> faces;
    HDC screen = ::GetDC(nullptr);
    ::EnumFontsA(screen, nullptr,
                 [](const LOGFONTA* lf, const TEXTMETRICA*, DWORD type, LPARAM data) -> int {
                     auto& all = *reinterpret_cast<std::map<std::string, Face>*>(data);
                     Face& face = all[lf->lfFaceName];
                     face.trueType = type == TRUETYPE_FONTTYPE;
                     face.symbol = face.symbol || lf->lfCharSet == SYMBOL_CHARSET;
                     return 1;
                 },
                 reinterpret_cast<LPARAM>(&faces));
    ::ReleaseDC(nullptr, screen);
    ASSERT_TRUE(faces.count("Marlett") == 1 && faces["Marlett"].symbol);
    ASSERT_TRUE(faces.count("Courier") == 1 && !faces["Courier"].trueType);

    CBNFontCombo combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL,
                             CRect(10, 10, 250, 300), frame, kComboId));
    const int count = combo.GetCount();
    ASSERT_GT(count, 0);
    std::set<std::string> listed;
    for (int i = 0; i < count; i++) {
        CString name;
        combo.GetLBText(i, name);
        EXPECT_TRUE(listed.insert(std::string(name)).second) << name << " is listed twice";
        const auto found = faces.find(std::string(name));
        ASSERT_NE(found, faces.end()) << name;
        EXPECT_TRUE(found->second.trueType) << name;
        EXPECT_FALSE(found->second.symbol) << name;
    }
    int left = 0;
    for (const auto& face : faces) {
        if (!face.second.trueType || face.second.symbol) {
            EXPECT_EQ(listed.count(face.first), 0u) << face.first;
            ++left;
        } else {
            EXPECT_EQ(listed.count(face.first), 1u) << face.first;
        }
    }
    EXPECT_GE(left, 2);
    EXPECT_EQ(listed.count("Marlett"), 0u);
    EXPECT_EQ(listed.count("Courier"), 0u);

    // No selection: -1 and the caller's record untouched.
    LOGFONT font = {};
    font.lfHeight = 1234;
    EXPECT_EQ(combo.GetSelFont(font), -1);
    EXPECT_EQ(font.lfHeight, 1234);

    // Drawing an item makes its record a 9-point description; the selection is drawn in
    // the highlight colours given.
    combo.SetHilightColors(RGB(10, 200, 30), RGB(255, 255, 0));
    combo.SetNormalColors(RGB(250, 240, 230), RGB(0, 0, 0));
    const int itemHeight = static_cast<int>(combo.SendMessage(CB_GETITEMHEIGHT, 0));
    DibCanvas canvas(240, itemHeight);
    ASSERT_TRUE(canvas.IsValid());
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_COMBOBOX;
    dis.CtlID = kComboId;
    dis.itemID = 0;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = ODS_SELECTED;
    dis.hwndItem = combo.m_hWnd;
    dis.hDC = canvas.DC().m_hDC;
    dis.rcItem = {0, 0, 240, itemHeight};
    dis.itemData = combo.GetItemData(0);
    combo.DrawItem(&dis);
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(10, 200, 30));
    EXPECT_GT(canvas.CountPixels({0, 0, 240, itemHeight}, RGB(255, 255, 0)), 5);   // the name
    dis.itemState = 0;
    combo.DrawItem(&dis);
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(250, 240, 230));
    // No item (an empty list's edit field): background only.
    dis.itemID = static_cast<UINT>(-1);
    canvas.Clear(RGB(1, 2, 3));
    combo.DrawItem(&dis);
    EXPECT_EQ(canvas.CountPixels({0, 0, 240, itemHeight}, RGB(250, 240, 230)), 240 * itemHeight);

    combo.SetCurSel(0);
    EXPECT_EQ(combo.GetSelFont(font), 0);
    EXPECT_EQ(font.lfHeight, 90);
    EXPECT_EQ(font.lfWidth, 0);
    CString first;
    combo.GetLBText(0, first);
    EXPECT_STREQ(font.lfFaceName, first);

    combo.ShowDropDown(TRUE);
    frame->UpdateWindow();
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    if (::GetComboBoxInfo(combo.m_hWnd, &info) && ::IsWindowVisible(info.hwndList)) {
        testing_support::DispatchPendingMessages();
        ::RedrawWindow(info.hwndList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        testing_support::DispatchPendingMessages();
        const auto shot = testing_support::Screenshot::OfWindow(info.hwndList);
        shot.Save("uilib_font_combo_list");
        // The names are drawn in the normal colours given above.
        EXPECT_GT(shot.CountPixels(RGB(250, 240, 230)), 100u);
    }
    combo.ShowDropDown(FALSE);
    for (const char* path : extraFonts)
        ::RemoveFontResourceExA(path, FR_PRIVATE, nullptr);
}

TEST_F(ComboBoxes, FontComboSubclassedInADialogListsItsFontsOnce)
{
    // A combo box that the dialog made, not the framework.
    const HWND control = ::CreateWindowExA(0, "COMBOBOX", nullptr,
                                           WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                           10, 10, 240, 290, frame->m_hWnd, reinterpret_cast<HMENU>(kComboId),
                                           ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    CBNFontCombo combo;
    ASSERT_TRUE(combo.SubclassWindow(control));
    const int count = combo.GetCount();
    EXPECT_GT(count, 0);
    combo.InitializeFonts();
    EXPECT_EQ(combo.GetCount(), count);
    combo.DestroyWindow();
}
