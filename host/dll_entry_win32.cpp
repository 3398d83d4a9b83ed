// The entry point of trovik.dll. The runtime's own entry point runs the static
// constructors at load and the destructors at unload. At load the library
// records its own module handle, which holds its templates and names the
// folder of its files, whatever the library's file is called. When the library is
// unloaded while the process goes on (FreeLibrary), the memory manager then
// gives back every region it still holds, so that loading and unloading the
// library repeatedly leaks no address space. At process exit nothing is
// given back: the system reclaims the whole process.

#include <windows.h>

#include "heap/heap_services.h"
#include "host/run_state.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE module, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI TrovikDllEntry(HANDLE module, DWORD reason, LPVOID reserved) {
    BOOL result = DllMainCRTStartup(module, reason, reserved);
    if (reason == DLL_PROCESS_ATTACH) RunState.moduleHandle = static_cast<ModuleHandle>(module);
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) NH_ReleaseEverything();
    return result;
}
