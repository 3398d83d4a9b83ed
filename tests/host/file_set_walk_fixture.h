// The walk of a search run over a scratch tree, as both configurations' walk
// tests drive it: a progress that records what it is shown and stops where a
// test asks, and the query, results and tree of one test.
#pragma once

#include "host/file_set_walk.h"
#include "host/walk_progress.h"
#include "search/hit_record.h"
#include "tests/fs/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

class RecordingProgress : public WalkProgress {
public:
    int Open() override {
        ++opened;
        return openResult;
    }
    void KeepAlive() override {
        if (++keepAlives == stopAtKeepAlive) stop = stopWith;
    }
    void DirectoryEntered(const FileName& directory) override { directories.push_back(directory); }
    void FileProcessed(uint32_t count) override { shownCounts.push_back(count); }
    void HitsChanged(const FileName& file, const RunCounterSet&) override {
        filesWithHits.push_back(file);
        if (static_cast<int>(filesWithHits.size()) == stopAtFile) stop = stopWith;
    }
    void HitListFull(int32_t) override {}
    WalkStop StopRequest() override { return stop; }
    void ReportFailure() override { ++failures; }

    int openResult = 1;
    int opened = 0;
    int keepAlives = 0;
    int stopAtFile = 0;      // set `stop` to stopWith when this file has hits
    int stopAtKeepAlive = 0; // or at this call of KeepAlive
    WalkStop stopWith = stopNone;
    WalkStop stop = stopNone;
    int failures = 0;
    std::vector<std::string> directories;
    std::vector<uint32_t> shownCounts;
    std::vector<std::string> filesWithHits;
};

class FileSetWalk : public ::testing::Test {
protected:
    void SetUp() override { query.fileTypes = "*.*"; }

    std::string Write(const std::string& relative, const std::string& data) {
        return _scratch.Write(relative, data);
    }
    // Windows only (ScratchDir::WriteExact).
    std::wstring WriteExact(const std::string& relative, const std::string& name,
                            const std::string& data) {
        const std::wstring path = _scratch.WriteExact(relative, name, data);
        EXPECT_FALSE(path.empty()) << name;
        return path;
    }

    // The file names of the hit records, sorted (enumeration order is the
    // platform's).
    std::vector<std::string> HitFiles() {
        std::vector<std::string> names;
        for (GrepInfo* g = results.hitList.GetHead(); g; g = List<GrepInfo>::GetNext(g))
            names.push_back(g->_fileName);
        std::sort(names.begin(), names.end());
        return names;
    }

    // A walk with the records and counters of the last one gone (the
    // progress is the test's to set).
    WalkStop Walk(const char* text = "needle") {
        results.hitList.DeleteAll();
        results.counters = RunCounterSet();
        query.text = text;
        return WalkFileSet(query, progress, results);
    }

    ScratchDir _scratch;
    const std::string _root = _scratch.Path();
    RunQuery query;
    RunResults results;
    RecordingProgress progress;
};
