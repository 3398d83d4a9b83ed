#include "tests/fs/scratch_dir.h"

#include "fs/posix_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

// Natively the scratch directory lies in /tmp and its paths are given in the
// file layer's own form (drive Z:, backslashes), as under Wine, so that a
// test reads the same in both configurations.

namespace {

namespace stdfs = std::filesystem;

stdfs::path Posix(const std::string& path) {
    std::string posix;
    PosixPathOf(path.c_str(), &posix);
    return stdfs::path(posix);
}

} // namespace

ScratchDir::ScratchDir() {
    char pattern[] = "/tmp/trovik_fs_XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("no scratch directory");
    _path = "Z:" + std::string(pattern);
    for (char& c : _path)
        if (c == '/') c = '\\';
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    stdfs::remove_all(Posix(_path), error);
}

std::string ScratchDir::operator/(const std::string& relative) const {
    return _path + "\\" + relative;
}

std::string ScratchDir::Write(const std::string& relative, const std::string& bytes) const {
    const std::string path = *this / relative;
    std::error_code error;
    stdfs::create_directories(Posix(path).parent_path(), error);
    WriteBytes(path, bytes);
    return path;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(Posix(path), std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(Posix(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

int PathExists(const std::string& path) {
    std::error_code error;
    return stdfs::exists(Posix(path), error);
}
