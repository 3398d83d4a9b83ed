#include "search/code_page.h"

namespace {

struct FilledTable {
    CodePageTable table;
    FilledTable() {
        FillCodePageTable(table);
        for (uint32_t unit = 0xD800; unit <= 0xDFFF; ++unit)
            table[unit] = '?';
    }
};

} // namespace

const CodePageTable& HostCodePage() {
    static const FilledTable filled; // built once, on the first file that needs it
    return filled.table;
}
