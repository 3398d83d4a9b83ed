#include "base/exception.h"

#include <utility>

#include "base/file_messages.h"

namespace {

// A new owned copy of a text, or null for a null or empty one.
String* OwnedText(const char* text) {
    return text && *text ? new String(text) : nullptr;
}

String* OwnedCopy(const String* text) {
    return text ? new String(*text) : nullptr;
}

} // namespace

Exception::Exception() {}
Exception::Exception(const char* text) {
    SetTexts(text, nullptr);
}
Exception::Exception(const String& text) {
    SetTexts(text.c_str(), nullptr);
}
Exception::Exception(const char* text, const char* text2) {
    SetTexts(text, text2);
}
Exception::Exception(const String& text, const String& text2) {
    SetTexts(text.c_str(), text2.c_str());
}
Exception::Exception(const char* text, int32_t code) : _code(code) {
    SetTexts(text, nullptr);
}
Exception::Exception(const String& text, int32_t code) : _code(code) {
    SetTexts(text.c_str(), nullptr);
}
Exception::Exception(const char* text, const char* text2, int32_t code) : _code(code) {
    SetTexts(text, text2);
}
Exception::Exception(const String& text, const String& text2, int32_t code) : _code(code) {
    SetTexts(text.c_str(), text2.c_str());
}

Exception::Exception(const Exception& source)
    : std::exception(source), _code(source._code), _extra(source._extra) {
    _text = OwnedCopy(source._text);
    try {
        _text2 = OwnedCopy(source._text2);
    } catch (...) {
        delete _text;
        throw;
    }
}

Exception& Exception::operator=(const Exception& source) {
    if (this != &source) {
        Exception copy(source); // copies first, so a failure leaves this intact
        std::swap(_text, copy._text);
        std::swap(_text2, copy._text2);
        _code = source._code;
        _extra = source._extra;
    }
    return *this;
}

Exception::~Exception() {
    delete _text;
    delete _text2;
}

const char* Exception::what() const noexcept {
    return "";
}

// Called once from a constructor, with both pointers still null.
void Exception::SetTexts(const char* text, const char* text2) {
    _text = OwnedText(text);
    try {
        _text2 = OwnedText(text2);
    } catch (...) {
        delete _text; // the destructor does not run for a half-built object
        throw;
    }
}

String GetMessageText(int32_t id) {
    for (const FileMessage* row = fileMessages; row->text; ++row) {
        if (row->id == id) return String(row->text);
    }
    return String();
}

// ---- Raise. Each builds the Exception locally and throws a copy of it made
// by the copy constructor (Exception has no move constructor).

void Raise(const Exception& exception) {
    throw exception;
}

void Raise() {
    Raise(Exception());
}
void Raise(const char* text) {
    Raise(Exception(text));
}
void Raise(const String& text) {
    Raise(Exception(text));
}
void Raise(MessageId message) {
    Raise(Exception(GetMessageText(message.id)));
}
void Raise(const char* text, int32_t code) {
    Raise(Exception(text, code));
}
void Raise(const String& text, int32_t code) {
    Raise(Exception(text, code));
}
void Raise(MessageId message, int32_t code) {
    Raise(Exception(GetMessageText(message.id), code));
}
void Raise(const char* text, const char* text2) {
    Raise(Exception(text, text2));
}
void Raise(const String& text, const String& text2) {
    Raise(Exception(text, text2));
}
void Raise(MessageId message, MessageId message2) {
    Raise(Exception(GetMessageText(message.id), GetMessageText(message2.id)));
}
void Raise(const char* text, const char* text2, int32_t code) {
    Raise(Exception(text, text2, code));
}
void Raise(const String& text, const String& text2, int32_t code) {
    Raise(Exception(text, text2, code));
}
void Raise(MessageId message, MessageId message2, int32_t code) {
    Raise(Exception(GetMessageText(message.id), GetMessageText(message2.id), code));
}
