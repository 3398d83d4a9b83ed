// The entry point of trovik.dll. The runtime's own entry point runs the static
// constructors at load and the destructors at unload. At load the library
// records its own module handle, which holds its templates and names the
// folder of its files, whatever the library's file is called. When the library is
// unloaded while the process goes on (FreeLibrary), the memory manager then
// gives back every region it still holds, so that loading and unloading the
// library repeatedly leaks no address space. At process exit nothing is
// given back: the system reclaims the whole process.
//
// The threads runtime linked into the library keeps, for each thread that
// used it, a record in a thread-local slot of its own, with an event and a
// duplicate of the thread's handle; it gives them back when the system tells
// it that the thread ends, and its slot never. The thread that unloads the
// library goes on, so the system never tells: each load and unload would
// leave two handles and one of the process's 1088 slots behind. That thread
// is told here, as the loader tells a thread that ends, and the slots that
// the telling emptied are freed: the runtime they belong to goes with the
// library. (Other host threads that called the library keep theirs.)

#include <windows.h>

#include "heap/heap_services.h"
#include "host/run_state.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE module, DWORD reason, LPVOID reserved);

namespace {

// TLS_MINIMUM_AVAILABLE slots in the thread's block and 1024 beyond it.
constexpr DWORD threadSlots = 64 + 1024;

// The library's thread-local callbacks, from its image as the loader reads
// them; null-terminated, or null when it has none.
PIMAGE_TLS_CALLBACK* ThreadCallbacks(HANDLE module) {
    const char* base = static_cast<const char*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
    if (entry.VirtualAddress == 0) return nullptr;
    auto directory = reinterpret_cast<const IMAGE_TLS_DIRECTORY*>(base + entry.VirtualAddress);
    return reinterpret_cast<PIMAGE_TLS_CALLBACK*>(directory->AddressOfCallBacks);
}

void EndRuntimeOfUnloadingThread(HANDLE module) {
    // Nothing is allocated here: the library's destructors have run.
    bool held[threadSlots];
    for (DWORD slot = 0; slot < threadSlots; ++slot)
        held[slot] = TlsGetValue(slot) != nullptr;
    for (PIMAGE_TLS_CALLBACK* callback = ThreadCallbacks(module); callback && *callback; ++callback)
        (*callback)(module, DLL_THREAD_DETACH, nullptr);
    for (DWORD slot = 0; slot < threadSlots; ++slot)
        if (held[slot] && !TlsGetValue(slot)) TlsFree(slot);
}

} // namespace

extern "C" BOOL WINAPI TrovikDllEntry(HANDLE module, DWORD reason, LPVOID reserved) {
    BOOL result = DllMainCRTStartup(module, reason, reserved);
    if (reason == DLL_PROCESS_ATTACH) RunState.moduleHandle = static_cast<ModuleHandle>(module);
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        EndRuntimeOfUnloadingThread(module);
        NH_ReleaseEverything();
    }
    return result;
}
