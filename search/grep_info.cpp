#include "search/grep_info.h"

GrepInfo::~GrepInfo() {}
