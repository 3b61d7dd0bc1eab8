// Code page 949 text as UTF-8, for the files vktool export writes (JSON must be UTF-8, and the
// flame-graph tools read UTF-8). Bytes that are not code page 949 text are written as "\xNN",
// one escape per byte, as vktool show writes them: nothing is dropped.
//
// One converter serves a whole export: the platform's conversion is opened once, and text that is
// all ASCII, nearly every name and detail of a trace, is copied as it is.
#pragma once

#include <cstddef>
#include <string>

class CUtf8Text {
public:
    CUtf8Text();
    ~CUtf8Text();
    CUtf8Text(const CUtf8Text&) = delete;
    CUtf8Text& operator=(const CUtf8Text&) = delete;

    // Appends the UTF-8 form of `length` bytes of code page 949 text to *out.
    void Append(const char* text, size_t length, std::string* out);

private:
    void AppendEscaped(unsigned char byte, std::string* out);
    // Converts what the platform takes; FALSE when it cannot convert text from code page 949 at all.
    bool Convert(const char* text, size_t length, std::string* out);

    void* m_converter; // iconv's descriptor; unused on Windows
    std::wstring m_wide;
};
