// A query's pattern compiled once for all the files that one workspace
// searches: compiling it (TRegexp, then RegexpProgram) costs about what
// searching a small file costs, and a run searches tens of thousands.
#pragma once

#include <memory>
#include <string>

class RegexpProgram;

class CompiledPattern {
public:
    CompiledPattern();
    ~CompiledPattern();

    // The program of `text`, compiled at the first call and again whenever
    // the text differs from the last call's; null when `text` does not
    // compile (its status is not 0). Raises bad_alloc when memory runs out;
    // the next call then compiles again.
    const RegexpProgram* For(const char* text);

private:
    std::string _text;
    bool _known = false; // _text was compiled into _program
    std::unique_ptr<RegexpProgram> _program;
};
