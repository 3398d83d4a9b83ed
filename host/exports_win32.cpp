// The exported entry points of trovik.dll, with C linkage and the caller
// cleaning the stack, under the names hosts call: _DoTrovik, _GetValue and
// _GetString. They forward to the plain code of host_commands.h; nothing
// raised inside the library reaches the host.
#include <windows.h>

#include "base/no_throw.h"
#include "host/host_commands.h"
#include "host/search_run.h"

namespace {

void QuitHelp(const String& helpPath) {
    WinHelpA(nullptr, helpPath.c_str(), HELP_QUIT, 0);
}

const HostCalls hostCalls = {RunSearch, QuitHelp};

} // namespace

extern "C" __declspec(dllexport) int _DoTrovik(int command, const char* text, int showDialog) {
    return NoThrow<int>(resultNothing,
                        [&] { return DoTrovikCommand(command, text, showDialog, hostCalls); });
}

extern "C" __declspec(dllexport) int _GetValue(int index, int what) {
    return NoThrow<int>(0, [&] { return GetResultValue(index, what); });
}

extern "C" __declspec(dllexport) const char* _GetString(int index, int what) {
    return NoThrow<const char*>("", [&] { return GetResultString(index, what); });
}
