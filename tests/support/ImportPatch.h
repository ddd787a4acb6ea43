// Replaces one function that the test program imports from a system DLL, for the life
// of the object, so a test can watch how the code under test (linked into the program)
// calls the system. Calls made inside the DLL itself are not seen.
#pragma once
#include <windows.h>

namespace testing_support {

class ImportPatch {
public:
    // dll as the program imports it ("user32.dll"), function by name.
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Installed() const { return m_slot != nullptr; }
    // The function as it was before the patch.
    void* Original() const { return m_original; }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

} // namespace testing_support
