// SplitFileTypes: how the run form of the file types becomes the masks.
#include "ui/search_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SplitFileTypes, CutsAtSemicolonsAndCommasKeepingEmptyPieces) {
    struct Case {
        const char* fileTypes;
        std::vector<std::string> masks;
        int count;
        const char* runForm; // the file types after the split
    } cases[] = {
        {"*.c; *.h", {"*.c", "*.h"}, 2, "*.c;*.h"},
        {"*.c,*.h", {"*.c", "*.h"}, 2, "*.c,*.h"},
        {"*.c;", {"*.c", ""}, 1, "*.c;"},
        {";*.c", {"", "*.c"}, 2, ";*.c"},
        {"*.c,,*.h", {"*.c", "", "*.h"}, 2, "*.c,,*.h"},
        {";", {"", ""}, 1, ";"},
        {"", {}, 0, ""},
        {"   ", {}, 0, ""},
        {"my file.txt", {"myfile.txt"}, 1, "myfile.txt"},
    };
    for (const Case& c : cases) {
        SearchSettingsRecord settings;
        settings.masks.AddTail(new StringItem<ListElement>("old")); // replaced, not kept
        settings.fileTypes = c.fileTypes;
        SplitFileTypes(settings);
        std::vector<std::string> masks;
        for (StringItem<ListElement>* m = settings.masks.GetHead(); m; m = StringList::GetNext(m)) {
            masks.push_back(*m);
        }
        EXPECT_EQ(masks, c.masks) << c.fileTypes;
        EXPECT_EQ(settings.maskCount, c.count) << c.fileTypes;
        EXPECT_EQ(std::string(settings.fileTypes), c.runForm) << c.fileTypes;
    }
}

} // namespace
