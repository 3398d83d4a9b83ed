// Small text utilities over String and over zero-terminated character
// buffers: splitting, trimming, character replacement and counting, bounded
// copies, a case-insensitive search, reading lines from a memory cursor,
// number, size and date texts, resource strings and number lists. None of them
// reports an error; the limits each states are the caller's to keep.
// Case-insensitive here always means ASCII only: a to z taken as A to Z.
//
// The library itself calls only Split, TrimBlanks and RemoveChar: every
// other utility here is foundation interface without a caller in it, kept and
// tested in tests/base.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/list.h"
#include "base/string.h"
#include "base/string_item.h"

class MemoryStream;

typedef List<StringItem<ListElement>> StringList;

// ---- Splitting

// Empties `target` (DeleteAll, whatever its ownership), then appends one new
// item per non-empty piece of `text`, trimmed with TrimBlanks when `trim` is
// set. With a non-empty `separators` set, pieces are the runs between any of
// its characters. With an empty (or null) set, `text` is a sequence of
// zero-terminated pieces ended by an empty one ("a\0b\0\0"). An empty or null
// text gives an empty list. Returns the number of items appended.
int Split(StringList& target, const char* text, const char* separators, int trim);

// ---- Trimming and character edits. Blanks are spaces, then tabs: TrimBlanks
// strips spaces from both ends first and tabs from both ends after, so a tab
// behind a leading space survives. Each returns the new length.
int TrimBlanks(String& text);
int TrimBlanksLeft(String& text);
int TrimBlanksRight(String& text);

// Removes every `c`; returns how many were removed.
int RemoveChar(String& text, char c);
int CountChar(const String& text, char c);
// Replace every `c` by `replacement`; return how many were replaced.
int ReplaceChar(String& text, char c, char replacement);
int ReplaceChar(char* text, char c, char replacement);
// ReplaceChar for each character of `set` in turn; returns the total.
int ReplaceChars(String& text, const char* set, char replacement);
int ReplaceChars(char* text, const char* set, char replacement);

// ---- Bounded copies. Both always terminate the destination unless its size
// is 0, in which case nothing is written. Both return `destination`.
// At most size - 1 characters of the zero-terminated `source` (null: empty).
char* CopyBounded(char* destination, const char* source, size_t size);
// min(count, size - 1) bytes of `source`, zeros included, then a zero.
char* CopyBytesBounded(char* destination, size_t size, const void* source, size_t count);

// ---- Searching and counting
// The first occurrence of `word` in `text`, ignoring ASCII case; an empty word
// yields `text` itself; an empty or null text (with a non-empty word) null.
const char* FindNoCase(const char* text, const char* word);
// Non-overlapping occurrences of `word` in the first `length` bytes of
// `buffer` (a negative length: up to its terminating zero). Exact bytes. An
// empty word or a buffer shorter than the word gives 0.
int CountOccurrences(const char* word, const char* buffer, int length);

// Reverse the characters in place; return half the length.
int ReverseText(char* text);
int ReverseText(String& text);

// Start at 0; for each byte, shift left by 2 and exclusive-or the byte taken
// as a signed value.
uint32_t HashText(const String& text);

// ---- Reading from a memory cursor. Both advance `stream`'s cursor and stop
// at the end of its buffer as well, so a buffer without a terminator is safe.
// The characters up to the next zero byte, line feed or carriage return; the
// terminator is consumed, a carriage return and line feed pair as one.
String ReadLine(MemoryStream& stream);
// The zero-terminated text at the cursor; the cursor moves past the zero.
String ReadCString(MemoryStream& stream);

// ---- Numbers. A format is a formatted-print format that consumes one
// argument of the overload's type (after the usual promotions); a null format
// means decimal.
String NumberText(short number, const char* format = nullptr);
String NumberText(unsigned short number, const char* format = nullptr);
String NumberText(int number, const char* format = nullptr);
String NumberText(unsigned int number, const char* format = nullptr);
String NumberText(long number, const char* format = nullptr);
String NumberText(unsigned long number, const char* format = nullptr);
// A null format means "%g".
String FloatText(double number, const char* format);
// The format consumes two or three 32-bit (int) values.
String FormatText(const char* format, int32_t first, int32_t second);
String FormatText(const char* format, int32_t first, int32_t second, int32_t third);

// Parsing in `base` (as strtol: 0 detects 0x and 0 prefixes). Values beyond
// the type's range give its nearest limit; a negative text for the unsigned
// form wraps as strtoul does (-1 gives 4294967295). No digits give 0.
int32_t TextToNumber(const String& text, int base = 10);
uint32_t TextToUnsigned(const String& text, int base = 10);
double TextToFloat(const String& text);

// "999 B", "999 kB", "1.2 MB": decimal units, divisions truncate.
String SizeText(uint32_t byteCount);

// A packed DOS date (bits 15-9 year - 1980, 8-5 month, 4-0 day) as
// "dd/MM/yyyy", formatted by the system's locale date formatter (05/03/1997).
// An impossible date (month 0, 30 February, ...) gives an empty string.
String DateText(uint16_t dosDate);

// The string resource `id` of `module` (an HINSTANCE; null: the program), read
// into a 1000-character buffer preset to "***", which is what a missing
// resource yields. Texts longer than 999 characters are cut.
String LoadResourceText(void* module, uint32_t id);

// ---- Number lists
// The decimal texts of `count` values joined by `separator` ("1,22,-3").
String NumberListText(const int32_t* values, int count, char separator);
// Every run of decimal digits of `text` becomes one value (a run beyond
// 2147483647 gives 2147483647); any other character separates. Returns a new
// array from the global allocation (free it with free()) and sets `count`;
// returns null with a count of 0 when the text holds no digit.
int32_t* ParseNumberList(const char* text, int& count);
