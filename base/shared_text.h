// SharedText: an immutable text that many owners share, made once. Copying
// one allocates nothing; the text lives until its last owner is gone. The hit
// records of one file share one copy of its name this way.
#pragma once

#include <memory>

#include "base/string.h"

class SharedText {
public:
    // Copies `text` once; raises bad_alloc when memory has run out.
    explicit SharedText(const String& text) : _text(std::make_shared<const String>(text)) {}

    const char* c_str() const { return _text->c_str(); }
    operator const String&() const { return *_text; }

private:
    std::shared_ptr<const String> _text; // never null
};
