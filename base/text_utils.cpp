#include "base/text_utils.h"

#include <algorithm>
#include <cstring>

#include "base/memory_stream.h"

namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

// ---- Trimming: spaces first, then tabs, so "\t x" keeps its space.

int TrimBlanks(String& text) {
    text.Strip(' ').Strip('\t');
    return text.GetLength();
}

int TrimBlanksLeft(String& text) {
    text.Strip(' ', String::stripLeading).Strip('\t', String::stripLeading);
    return text.GetLength();
}

int TrimBlanksRight(String& text) {
    text.Strip(' ', String::stripTrailing).Strip('\t', String::stripTrailing);
    return text.GetLength();
}

// ---- Character edits

int RemoveChar(String& text, char c) {
    const size_t before = text.size();
    text.erase(std::remove(text.begin(), text.end(), c), text.end());
    return static_cast<int>(before - text.size());
}

int CountChar(const String& text, char c) {
    return static_cast<int>(std::count(text.begin(), text.end(), c));
}

int ReplaceChar(String& text, char c, char replacement) {
    int replaced = 0;
    for (char& each : text) {
        if (each == c) {
            each = replacement;
            ++replaced;
        }
    }
    return replaced;
}

int ReplaceChar(char* text, char c, char replacement) {
    int replaced = 0;
    for (; *text; ++text) {
        if (*text == c) {
            *text = replacement;
            ++replaced;
        }
    }
    return replaced;
}

int ReplaceChars(String& text, const char* set, char replacement) {
    int replaced = 0;
    for (; *set && !text.empty(); ++set)
        replaced += ReplaceChar(text, *set, replacement);
    return replaced;
}

int ReplaceChars(char* text, const char* set, char replacement) {
    int replaced = 0;
    for (; *set; ++set)
        replaced += ReplaceChar(text, *set, replacement);
    return replaced;
}

// ---- Bounded copies

char* CopyBounded(char* destination, const char* source, size_t size) {
    if (size == 0) return destination;
    size_t length = 0;
    if (source) {
        while (length < size - 1 && source[length])
            ++length;
        memcpy(destination, source, length);
    }
    destination[length] = 0;
    return destination;
}

char* CopyBytesBounded(char* destination, size_t size, const void* source, size_t count) {
    if (size == 0) return destination;
    const size_t length = std::min(count, size - 1);
    if (length) memcpy(destination, source, length);
    destination[length] = 0;
    return destination;
}

// ---- Searching and counting

const char* FindNoCase(const char* text, const char* word) {
    if (!text) return nullptr;
    if (!word || !*word) return text;
    for (; *text; ++text) {
        size_t i = 0;
        while (word[i] && UpperAscii(text[i]) == UpperAscii(word[i]))
            ++i;
        if (!word[i]) return text;
    }
    return nullptr;
}

int CountOccurrences(const char* word, const char* buffer, int length) {
    const size_t wordLength = word ? strlen(word) : 0;
    if (!buffer || wordLength == 0) return 0;
    const size_t bufferLength = length < 0 ? strlen(buffer) : static_cast<size_t>(length);
    int found = 0;
    for (size_t i = 0; i + wordLength <= bufferLength;) {
        if (memcmp(buffer + i, word, wordLength) == 0) {
            ++found;
            i += wordLength;
        } else {
            ++i;
        }
    }
    return found;
}

int ReverseText(char* text) {
    const size_t length = strlen(text);
    std::reverse(text, text + length);
    return static_cast<int>(length / 2);
}

int ReverseText(String& text) {
    std::reverse(text.begin(), text.end());
    return text.GetLength() / 2;
}

uint32_t HashText(const String& text) {
    uint32_t hash = 0;
    for (char c : text) {
        hash =
            (hash << 2) ^ static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    }
    return hash;
}

// ---- Reading from a memory cursor

String ReadLine(MemoryStream& stream) {
    const char* start = stream.GetCursor();
    const uint32_t available = stream.GetRemaining();
    uint32_t length = 0;
    while (length < available && start[length] != 0 && start[length] != '\n' &&
           start[length] != '\r') {
        ++length;
    }
    String line(start, 0, length);
    uint32_t consumed = length;
    if (consumed < available) {
        const char terminator = start[consumed++];
        if (terminator == '\r' && consumed < available && start[consumed] == '\n') ++consumed;
    }
    stream.Skip(consumed);
    return line;
}

String ReadCString(MemoryStream& stream) {
    const char* start = stream.GetCursor();
    const uint32_t available = stream.GetRemaining();
    uint32_t length = 0;
    while (length < available && start[length] != 0)
        ++length;
    String text(start, 0, length);
    stream.Skip(length < available ? length + 1 : length);
    return text;
}
