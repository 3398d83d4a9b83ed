#include "ui/search_settings.h"

SearchSettingsRecord SearchSettings;

void SplitFileTypes(SearchSettingsRecord& settings) {
    RemoveChar(settings.fileTypes, ' ');
    settings.masks.DeleteAll();
    settings.maskCount = 0;
    const String& types = settings.fileTypes;
    if (types.empty()) return;
    size_t start = 0;
    for (;;) {
        size_t end = types.find_first_of(";,", start);
        String piece(
            types.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (settings.masks._count == 0 || !piece.empty()) ++settings.maskCount;
        settings.masks.AddTail(new StringItem<ListElement>(piece));
        if (end == std::string::npos) break;
        start = end + 1;
    }
}
