#include "search/decoded_search.h"

#include <memory>
#include <new>

#include "fs/fault_guard.h"
#include "search/file_text_search.h"
#include "search/text_encoding.h"

int SearchFileText(const String& path, const unsigned char* data, uint32_t size,
                   const FileSearch& search) {
    TextEncoding encoding = TextEncoding::codePage;
    auto detect = [&] { encoding = DetectEncoding(data, size); };
    if (!RunGuarded(data, size, detect)) return -1;
    if (encoding == TextEncoding::codePage) return SearchFileBytes(path, data, size, search);

    std::unique_ptr<unsigned char[]> text(new (std::nothrow) unsigned char[size]);
    if (!text) return -1;
    size_t length = 0;
    auto convert = [&] { length = ConvertToCodePage(encoding, data, size, text.get()); };
    if (!RunGuarded(data, size, convert)) return -1;
    return SearchFileBytes(path, text.get(), static_cast<uint32_t>(length), search);
}
