#include "tests/ui/stores.h"

std::unique_ptr<StoreUnderTest> MakeMemoryStore(const std::string& text, int exists);

std::vector<std::string> StoreKinds() {
    return {"memory"};
}

std::unique_ptr<StoreUnderTest> MakeStore(const std::string&, const std::string& text, int exists) {
    return MakeMemoryStore(text, exists);
}
