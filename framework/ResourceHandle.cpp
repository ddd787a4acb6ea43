#include "framework/ResourceHandle.h"

namespace
{
HINSTANCE g_resourceModule = nullptr;
}

HINSTANCE AfxGetResourceHandle()
{
    if (g_resourceModule == nullptr)
        return GetModuleHandleA(nullptr);
    return g_resourceModule;
}

void AfxSetResourceHandle(HINSTANCE resourceModule)
{
    g_resourceModule = resourceModule;
}
