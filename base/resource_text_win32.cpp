#include <windows.h>

#include "base/text_utils.h"

String LoadResourceText(void* module, uint32_t id) {
    static const char missing[] = "***";
    char text[1000];
    CopyBounded(text, missing, sizeof text);
    // Older loaders leave the buffer alone when the resource is missing, newer
    // ones (and Wine) clear it: a count of 0 gives the preset either way.
    if (LoadStringA(static_cast<HINSTANCE>(module), id, text, sizeof text) == 0) return missing;
    return String(text);
}
