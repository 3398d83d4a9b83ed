#include "search/search_params.h"

#include "search/word_chars.h"

int statMode;
char searchText[searchTextSize];
int caseInsensitive;
int wholeWords;
int useRegEx;
int onlyFileNames;

int IsWholeWord(int32_t offset, int32_t length, const unsigned char* data, uint32_t size) {
    if (!wholeWords) return 1;
    if (offset < 0 || length < 0) return 0;
    return IsBoundedByNonWords(data, size, static_cast<uint32_t>(offset),
                               static_cast<uint32_t>(length));
}
