#include "tests/search/benchmarks/source_text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

#ifdef _WIN32
const char sourceDirectory[] = "Z:/usr/include"; // Wine's view of the machine
#else
const char sourceDirectory[] = "/usr/include";
#endif

} // namespace

std::string MachineSourceText(size_t size) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(sourceDirectory, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error) &&
            (it->path().extension() == ".h" || it->path().extension() == ".c")) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    std::string all;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (all.size() >= size) break;
    }
    if (all.empty()) all = "int main() { return 0; }\n";
    while (all.size() < size)
        all += all;
    all.resize(size);
    return all;
}
