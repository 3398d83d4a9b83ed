// Native stand-in: there are no string resources, so every lookup gives the
// text a missing resource gives.
#include "base/text_utils.h"

String LoadResourceText(void*, uint32_t) {
    return String("***");
}
