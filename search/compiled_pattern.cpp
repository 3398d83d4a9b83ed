#include "search/compiled_pattern.h"

#include "search/regexp.h"
#include "search/regexp_program.h"

CompiledPattern::CompiledPattern() = default;
CompiledPattern::~CompiledPattern() = default;

const RegexpProgram* CompiledPattern::For(const char* text) {
    if (_known && _text == text) return _program.get();
    _known = false;
    _program.reset();
    _text = text;
    const TRegexp regexp(text);
    if (regexp.GetPattern() != nullptr && regexp.GetStatus() == TRegexp::kValid)
        _program.reset(new RegexpProgram(regexp.GetPattern()));
    _known = true;
    return _program.get();
}
