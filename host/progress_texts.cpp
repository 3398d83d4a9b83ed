#include "host/progress_texts.h"

#include "base/text_utils.h"

namespace {

// Every number as a signed decimal, as the platform's wsprintfA writes %d.
String Format(const char* format, uint32_t first, uint32_t second = 0) {
    return FormatText(format, static_cast<int32_t>(first), static_cast<int32_t>(second));
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
