// Exception: the one class the file layer raises. It derives from
// std::exception (catch that by const reference to catch it) and leaves the
// base message empty; what it carries is an error code, a second value, and up
// to two texts it owns. A text is kept only when it is given and not empty.
// The Raise family builds an Exception and throws a copy of it by value.
#pragma once

#include <cstdint>
#include <exception>

#include "base/file_messages.h"
#include "base/string.h"

class Exception : public std::exception {
public:
    Exception();
    explicit Exception(const char* text);
    explicit Exception(const String& text);
    Exception(const char* text, const char* text2);
    Exception(const String& text, const String& text2);
    Exception(const char* text, int32_t code);
    Exception(const String& text, int32_t code);
    Exception(const char* text, const char* text2, int32_t code);
    Exception(const String& text, const String& text2, int32_t code);
    // Copies the two values; each text of the source is copied into a new
    // String that this object owns.
    Exception(const Exception& source);
    Exception& operator=(const Exception& source);
    ~Exception() override;

    // Always the empty text: the message lives in GetText().
    const char* what() const noexcept override;

    // The operating system's error code or the raiser's own value; 0 if none.
    int32_t GetCode() const { return _code; }
    // A second value, 0 unless a raiser set it before throwing (the disk-full
    // path stores the drive index there).
    int32_t GetExtra() const { return _extra; }
    void SetExtra(int32_t extra) { _extra = extra; }
    // The message and the second text, or null when not given.
    const String* GetText() const { return _text; }
    const String* GetText2() const { return _text2; }

private:
    void SetTexts(const char* text, const char* text2);

    int32_t _code = 0;
    int32_t _extra = 0;
    String* _text = nullptr;  // owned; null when no text or an empty one
    String* _text2 = nullptr; // owned; likewise
};

// The text of the file message table row with number `id`; empty when no row
// has that number.
String GetMessageText(int32_t id);

// A number of the file message table where a Raise form takes one. It converts
// implicitly from an int, so Raise(18000, code) reads "message 18000 with this
// code"; the forms with two numbers need the second spelled MessageId(...).
struct MessageId {
    MessageId(int32_t value) : id(value) {}
    int32_t id;
};

// ---- Raise: build an Exception and throw a copy of it. None returns. A text
// comes from the argument or, for a message number, from GetMessageText (an
// unknown number gives an Exception without that text).
[[noreturn]] void Raise(const Exception& exception); // throws a copy
[[noreturn]] void Raise();
[[noreturn]] void Raise(const char* text);
[[noreturn]] void Raise(const String& text);
[[noreturn]] void Raise(MessageId message);
[[noreturn]] void Raise(const char* text, int32_t code);
[[noreturn]] void Raise(const String& text, int32_t code);
// The form of every failed file operation: message number and last error.
[[noreturn]] void Raise(MessageId message, int32_t code);
[[noreturn]] void Raise(const char* text, const char* text2);
[[noreturn]] void Raise(const String& text, const String& text2);
[[noreturn]] void Raise(MessageId message, MessageId message2);
[[noreturn]] void Raise(const char* text, const char* text2, int32_t code);
[[noreturn]] void Raise(const String& text, const String& text2, int32_t code);
[[noreturn]] void Raise(MessageId message, MessageId message2, int32_t code);
