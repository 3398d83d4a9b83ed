#include "host/progress_texts.h"

#include <cstdio>

namespace {

String Format(const char* format, uint32_t first, uint32_t second = 0) {
    char text[64];
    snprintf(text, sizeof text, format, static_cast<int>(static_cast<int32_t>(first)),
             static_cast<int>(static_cast<int32_t>(second)));
    return String(text);
}

} // namespace

String ProcessedFilesText(uint32_t filesProcessed) {
    return Format("Processed files: %d", filesProcessed);
}

String HitsText(uint32_t hitCount, uint32_t filesWithHits) {
    if (hitCount <= 1) return Format("%d Hit", hitCount);
    if (filesWithHits < 2) return Format("%d Hits in %d file", hitCount, filesWithHits);
    return Format("%d Hits in %d files", hitCount, filesWithHits);
}

String LastHitText(const String& fileName) {
    return String("Last hit(s) found in: ") + fileName;
}
