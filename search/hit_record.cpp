#include "search/hit_record.h"

GrepInfo::~GrepInfo() {}
