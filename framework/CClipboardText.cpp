#include "framework/CClipboardText.h"

#include <cstring>

namespace {
// Closes the clipboard on every way out.
class OpenClipboardScope
{
public:
    explicit OpenClipboardScope(HWND hWndOwner) : m_open(::OpenClipboard(hWndOwner) != FALSE) {}
    ~OpenClipboardScope()
    {
        if (m_open)
            ::CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};
} // namespace

BOOL CClipboardText::Put(HWND hWndOwner, const CString& text)
{
    OpenClipboardScope clipboard(hWndOwner);
    if (!clipboard.IsOpen() || !::EmptyClipboard())
        return FALSE;
    const size_t bytes = static_cast<size_t>(text.GetLength()) + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return FALSE;
    void* target = ::GlobalLock(memory);
    if (target == nullptr) {
        ::GlobalFree(memory);
        return FALSE;
    }
    std::memcpy(target, text.GetString(), bytes);
    ::GlobalUnlock(memory);
    // On success the clipboard owns the memory.
    if (::SetClipboardData(CF_TEXT, memory) == nullptr) {
        ::GlobalFree(memory);
        return FALSE;
    }
    return TRUE;
}

BOOL CClipboardText::Get(HWND hWndOwner, CString& text)
{
    OpenClipboardScope clipboard(hWndOwner);
    if (!clipboard.IsOpen())
        return FALSE;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    if (data == nullptr)
        return FALSE;
    const char* source = static_cast<const char*>(::GlobalLock(data));
    if (source == nullptr)
        return FALSE;
    // The block may be larger than the text and is not sure to hold a NUL: stay inside it.
    const size_t size = ::GlobalSize(data);
    text = CString(source, static_cast<int>(strnlen(source, size)));
    ::GlobalUnlock(data);
    return TRUE;
}
