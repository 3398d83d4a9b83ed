// Guards for the points where control leaves the library's C++ for a caller
// that cannot take an exception: the exports, called by a host written in
// any language, and the procedures that the platform calls back, whose
// frames an exception cannot pass. Whatever is thrown beneath is caught
// there and turned into a neutral result.
#pragma once

#include <utility>

// The result of `body`, or `fallback` when it throws anything at all.
template <class Result, class Body>
Result NoThrow(Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}
