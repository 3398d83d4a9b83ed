#include "search/search_file.h"

const bool searchReadsLargeFiles = true;
