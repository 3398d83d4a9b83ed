// Test support: String's process-wide case setting, switched for one scope
// and put back after, whoever set it before.
#pragma once

#include "base/string.h"

class CaseSetting {
public:
    explicit CaseSetting(int on) : _previous(String::SetCaseSensitive(on)) {}
    ~CaseSetting() { String::SetCaseSensitive(_previous); }
    CaseSetting(const CaseSetting&) = delete;
    CaseSetting& operator=(const CaseSetting&) = delete;

private:
    int _previous;
};
