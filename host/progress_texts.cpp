#include "host/progress_texts.h"

#include "host/count_text.h"

namespace {

String Counts(const char* format, uint32_t first, uint32_t second = 0) {
    char text[64];
    FormatCounts(text, sizeof text, format, first, second);
    return String(text);
}

} // namespace

String ProcessedFilesText(uint32_t filesProcessed) {
    return Counts("Processed files: %d", filesProcessed);
}

String HitsText(uint32_t hitCount, uint32_t filesWithHits) {
    if (hitCount <= 1) return Counts("%d Hit", hitCount);
    if (filesWithHits < 2) return Counts("%d Hits in %d file", hitCount, filesWithHits);
    return Counts("%d Hits in %d files", hitCount, filesWithHits);
}

String LastHitText(const String& fileName) {
    return String("Last hit(s) found in: ") + fileName;
}
