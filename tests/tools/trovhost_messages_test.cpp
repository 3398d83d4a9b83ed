// What trovhost's message list shows after each kind of result.
#include "tools/trovhost/messages.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Results as the library would give them.
struct FakeLibrary : ResultReader {
    int keep = 0;
    int stopped = 0;
    std::vector<std::pair<std::string, int>> hits; // file, line; the text is "t" + line
    std::map<int, std::string> statistics;

    int GetValue(int index, int what) override {
        switch (what) {
        case 6:
            return hits.at(index).second;
        case 7:
            return static_cast<int>(hits.size());
        case 15:
            return keep;
        case 16:
            return 2;
        case 17:
            return stopped;
        default:
            return 0;
        }
    }
    std::string GetString(int index, int what) override {
        if (what == 4) return hits.at(index).first;
        if (what == 5) return "t" + std::to_string(hits.at(index).second);
        if (what == 16) return "Files that could not be read: 2";
        return statistics.count(what) ? statistics[what] : "";
    }
};

using Lines = std::vector<std::string>;

TEST(TrovhostMessages, HitsStatisticsAndNothing) {
    FakeLibrary library;
    library.hits = {{"C:\\a.c", 3}, {"C:\\b.h", 10}};
    library.statistics = {{10, "Number of files: 0"}, {11, "chars"}, {13, "lines"}};

    MessageUpdate hits = MessagesFor(2, library);
    EXPECT_TRUE(hits.clear);
    EXPECT_EQ(hits.lines, (Lines{"C:\\a.c(3): t3", "C:\\b.h(10): t10"}));

    library.keep = 1; // keep old messages: nothing is emptied
    MessageUpdate statistics = MessagesFor(9, library);
    EXPECT_FALSE(statistics.clear);
    EXPECT_EQ(statistics.lines, (Lines{"Number of files: 0", "chars", "lines"}));

    for (int nothing : {1, 0, 3}) {
        MessageUpdate none = MessagesFor(nothing, library);
        EXPECT_FALSE(none.clear);
        EXPECT_TRUE(none.lines.empty());
    }
    EXPECT_EQ(StatusText(2, library), "2 records. Files that could not be read: 2");
    library.stopped = 1;
    EXPECT_EQ(StatusText(2, library),
              "Stopped early, partial results: 2 records. Files that could not be read: 2");
    EXPECT_NE(StatusText(1, library).find("the list is unchanged"), std::string::npos);
}

} // namespace
