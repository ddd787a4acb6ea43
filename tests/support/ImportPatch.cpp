#include "tests/support/ImportPatch.h"

#include <cstring>

namespace testing_support {

namespace {

void WriteSlot(void** slot, void* value)
{
    DWORD oldProtection = 0;
    if (!::VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &oldProtection))
        return;
    *slot = value;
    ::VirtualProtect(slot, sizeof(void*), oldProtection, &oldProtection);
}

} // namespace

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement)
{
    HMODULE system = ::GetModuleHandleA(dll);
    void* target = system != nullptr ? reinterpret_cast<void*>(::GetProcAddress(system, function)) : nullptr;
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    if (target == nullptr || base == nullptr)
        return;
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return;
    for (auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0)
            continue;
        for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
             thunk->u1.Function != 0; ++thunk) {
            void** slot = reinterpret_cast<void**>(&thunk->u1.Function);
            if (*slot != target)
                continue;
            m_slot = slot;
            m_original = target;
            WriteSlot(slot, replacement);
            return;
        }
    }
}

ImportPatch::~ImportPatch()
{
    if (m_slot != nullptr)
        WriteSlot(m_slot, m_original);
}

} // namespace testing_support
