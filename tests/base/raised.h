// Test helpers for what an action raised, and the texts to compare it with:
// the one way the tests expect an Exception.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/exception.h"

// Runs `action` and returns the Exception it raised; fails the test when it
// raised nothing.
inline Exception RaisedBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e;
    }
    ADD_FAILURE() << "nothing was raised";
    return Exception();
}

inline std::string Message(int32_t id) {
    return GetMessageText(id);
}

inline std::string TextOf(const Exception& e) {
    return e.GetText() ? std::string(*e.GetText()) : std::string("<no text>");
}
