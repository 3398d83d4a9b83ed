#include <windows.h>

#include "tests/fs/scratch_dir.h"
#include "tests/ui/stores.h"

std::unique_ptr<StoreUnderTest> MakeMemoryStore(const std::string& text, int exists);

namespace {

// TROVIK.INI in a scratch directory, through the platform's profile functions.
class FileStore : public StoreUnderTest {
public:
    FileStore(const std::string& text, int exists)
        : _path(_dir / "TROVIK.INI"), _profile(_path.c_str()) {
        if (exists) WriteBytes(_path, text);
    }
    ProfileStore& Store() override { return _profile; }
    std::string Text() override { return ReadBytes(_path); }
    // A file in a folder that does not exist cannot be written.
    void FailWrites() override { _profile = ProfileFile((_dir / "missing\\TROVIK.INI").c_str()); }

private:
    ScratchDir _dir;
    std::string _path;
    ProfileFile _profile;
};

} // namespace

std::vector<std::string> StoreKinds() {
    return {"memory", "file"};
}

std::unique_ptr<StoreUnderTest> MakeStore(const std::string& kind, const std::string& text,
                                          int exists) {
    if (kind == "memory") return MakeMemoryStore(text, exists);
    return std::unique_ptr<StoreUnderTest>(new FileStore(text, exists));
}
