#include "search/grep_info.h"

GrepInfo::~GrepInfo() {}

List<GrepInfo> hitList;
int hitListFull;
