// Test support for the scanner's tests: a temporary directory tree made for
// one test and removed after it, and a scanner that records every call of its
// virtual operations. Header only, so that only the tests that include it
// carry it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "fs/file_scanner.h"

namespace stdfs = std::filesystem;
typedef std::vector<std::string> Texts;

// ---- A temporary tree

class ScanTree : public ::testing::Test {
protected:
    void SetUp() override {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        _root = stdfs::temp_directory_path() / ("trovik_scan_" + std::to_string(tick));
        ASSERT_TRUE(stdfs::create_directory(_root)) << _root;
    }

    // Items deeper than the platform's path limit cannot always be listed for
    // removal, so everything made is removed by name, newest first.
    void TearDown() override {
        std::error_code error;
        for (auto made = _made.rbegin(); made != _made.rend(); ++made)
            stdfs::remove(*made, error);
        stdfs::remove_all(_root, error);
    }

    // `relative` uses '/' between its parts; the folders on its way are made
    // as needed.
    void MakeFile(const std::string& relative, size_t size = 1) {
        MakeFile(relative, std::string(size, 'x'));
    }
    void MakeFile(const std::string& relative, const std::string& bytes) {
        for (size_t slash = relative.find('/'); slash != std::string::npos;
             slash = relative.find('/', slash + 1))
            if (!stdfs::exists(_root / stdfs::u8path(relative.substr(0, slash))))
                MakeDirectory(relative.substr(0, slash));
        const stdfs::path path = _root / stdfs::u8path(relative).make_preferred();
        std::ofstream file(path, std::ios::binary);
        file << bytes;
        ASSERT_TRUE(file.good()) << path;
        _made.push_back(path);
    }
    void MakeFiles(std::initializer_list<const char*> files) {
        for (const char* file : files)
            MakeFile(file);
    }
    void MakeDirectory(const std::string& relative) {
        const stdfs::path path = _root / stdfs::u8path(relative).make_preferred();
        ASSERT_TRUE(stdfs::create_directory(path)) << path;
        _made.push_back(path);
    }

    // A link at `relative` to the folder `target` (relative to the tree, or
    // absolute); false where links to folders cannot be made.
    bool MakeLink(const std::string& relative, const std::string& target) {
        const stdfs::path path = _root / stdfs::u8path(relative).make_preferred();
        const stdfs::path to = stdfs::u8path(target).is_absolute()
                                   ? stdfs::u8path(target)
                                   : _root / stdfs::u8path(target).make_preferred();
        std::error_code error;
        stdfs::create_directory_symlink(to, path, error);
        if (error) return false;
        _made.push_back(path);
        return true;
    }

    // The Windows form of a path of the tree, as the scanner composes it.
    String PathOf(const std::string& relative = "") const {
        std::string path = _root.string();
#ifndef _WIN32
        path = "Z:" + path;
#endif
        if (!relative.empty()) path += "/" + relative;
        std::replace(path.begin(), path.end(), '/', '\\');
        return String(path);
    }

    stdfs::path _root;
    std::vector<stdfs::path> _made;
};

// ---- A scanner that records what it is told

class RecordingScanner : public FileScanner {
public:
    RecordingScanner(const String& root, const FileName& directory, const char* mask,
                     int collect = 0, int recursive = 0)
        : FileScanner(directory, nullptr, collect, recursive), _root(root) {
        if (mask != nullptr) AddMask(mask);
    }

    int ShouldStop() override {
        ++_stopQuestions;
        const int stop = _stopWhen && _stopWhen(*this);
        if (stop) _events.push_back("stop");
        return stop;
    }
    int OnFile(FileName& fileName, FindData* entry, int index) override {
        EXPECT_EQ(fileName.GetName(1), entry->_name);
        _events.push_back("file " + std::to_string(index) + " " + Relative(fileName));
        return index != _refuseIndex;
    }
    int AcceptFile(FileName& fileName, FindData*) override {
        _events.push_back("accept " + Relative(fileName));
        return fileName.GetName(1) != _refusedName.c_str();
    }
    void OnDirectory(FileName& directory) override {
        _events.push_back("dir " + Relative(directory));
    }
    void BeginScan() override { _events.push_back("begin"); }
    void EndScan() override { _events.push_back("end"); }

    // The recorded events of one kind ("file", "dir", ...), in order, without
    // the kind; file events keep their index.
    Texts Events(const std::string& kind) const {
        Texts found;
        for (const std::string& event : _events)
            if (event.compare(0, kind.size() + 1, kind + " ") == 0)
                found.push_back(event.substr(kind.size() + 1));
        return found;
    }
    // The reported files without their indexes, sorted (enumeration order is
    // the platform's).
    Texts FileSet() const {
        Texts files;
        for (const std::string& file : Events("file"))
            files.push_back(file.substr(file.find(' ') + 1));
        std::sort(files.begin(), files.end());
        return files;
    }

    using FileScanner::_found;
    using FileScanner::_masks;
    using FileScanner::_nameSink;

    String _root;
    Texts _events;
    int _stopQuestions = 0;
    std::function<int(const RecordingScanner&)> _stopWhen;
    int _refuseIndex = -1;    // OnFile returns 0 for this index
    std::string _refusedName; // AcceptFile returns 0 for this name

private:
    std::string Relative(const String& path) const {
        if (path.compare(0, _root.size(), _root) != 0) return "?" + path;
        std::string rest = path.substr(_root.size());
        if (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
        return rest.empty() ? "." : rest;
    }
};
