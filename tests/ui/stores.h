// Test support: the settings stores the shared settings tests run against.
// Natively the in-memory store; on Windows also the platform's profile
// functions over a real file in a scratch directory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/profile_store.h"

class StoreUnderTest {
public:
    virtual ~StoreUnderTest() {}
    virtual ProfileStore& Store() = 0;
    // The file's whole text as it stands now; empty when there is none.
    virtual std::string Text() = 0;
    // Makes every later write fail.
    virtual void FailWrites() = 0;
};

// The names of the stores of this configuration: "memory", and "file" on Windows.
std::vector<std::string> StoreKinds();
// A store of `kind` over a file holding `text`; with `exists` 0 there is no file.
std::unique_ptr<StoreUnderTest> MakeStore(const std::string& kind, const std::string& text,
                                          int exists = 1);
