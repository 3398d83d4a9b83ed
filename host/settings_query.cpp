#include "host/settings_query.h"

RunQuery QueryFromSettings(const SearchSettingsRecord& settings, const String& text) {
    RunQuery query;
    query.text = text;
    query.statistics = settings.Stat ? 1 : 0;
    query.caseInsensitive = settings.CaseSensitive ? 0 : 1;
    query.wholeWords = settings.WholeWord;
    query.pattern = settings.RegEx;
    query.fileNamesOnly = settings.OnlyFile;
    query.dirList = settings.dirList;
    query.fileTypes = settings.fileTypes;
    query.subdirectories = settings.SubDir;
    query.threads = settings.Threads;
    return query;
}
