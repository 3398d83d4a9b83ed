#include "tests/ui/memory_profile.h"
#include "tests/ui/stores.h"

namespace {

class MemoryStore : public StoreUnderTest {
public:
    MemoryStore(const std::string& text, int exists) : _profile(text, exists) {}
    ProfileStore& Store() override { return _profile; }
    std::string Text() override { return _profile.Text(); }
    void FailWrites() override { _profile.FailWrites(); }

private:
    MemoryProfile _profile;
};

} // namespace

std::unique_ptr<StoreUnderTest> MakeMemoryStore(const std::string& text, int exists) {
    return std::unique_ptr<StoreUnderTest>(new MemoryStore(text, exists));
}
