// Text encodings for vktool. The debugger and the script engine speak code page 949; the person
// at the terminal speaks the encoding of the locale (UTF-8 on most Linux terminals). Every
// command takes its text arguments through ArgumentToCp949 and writes text through
// WriteCp949Text, so what it masks, sends and shows is what the debugger stores and shows.
//
// The conversions are the platform's own: iconv on Linux (glibc's knows CP949), and
// MultiByteToWideChar / WideCharToMultiByte on Windows. Encodings are named "UTF-8", "CP949" or,
// on Windows, "CP<n>" for code page n; on Linux any name iconv knows (the locale's codeset).
//
// The user's encoding:
// - Linux: the codeset of the locale the environment names (setlocale(LC_ALL, "")); in the C
//   locale, whose codeset is plain ASCII, UTF-8, the encoding of every current terminal.
// - Windows: arguments are read from the wide (UTF-16) command line, so no character is lost
//   to the ANSI code page on the way; text is written in the console's output code page
//   (GetConsoleOutputCP), or in the ANSI code page when the program has no console.
// Before InitUserEncoding is called (in tests) the user's encoding is code page 949.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#define TEXT_ENCODING_CP949 "CP949"
#define TEXT_ENCODING_UTF8 "UTF-8"

// Learns the user's encoding from the environment. main calls it once, before any command, with
// its own arguments (on Windows their wide forms are looked up by ArgumentToCp949).
void InitUserEncoding(int argc, char** argv);

// Sets the user's encoding for arguments and output alike (tests; a name as above).
void SetUserEncoding(const std::string& name);

// The encoding in which text arguments are read and text is written ("UTF-8", "CP949", ...).
std::string UserInputEncoding();
std::string UserOutputEncoding();

// Why a text could not be converted.
struct TextProblem {
    enum Kind {
        NONE,
        INVALID,     // bytes that are not text in the source encoding
        UNMAPPABLE,  // a character the target encoding has no code for
        UNSUPPORTED, // the platform cannot convert between the two encodings
    };
    Kind kind = NONE;
    std::size_t offset = 0;      // byte offset of the problem in the source text
    std::size_t length = 0;      // bytes of the offending character (INVALID: 1)
    unsigned long codePoint = 0; // UNMAPPABLE: the character (Unicode)
};

// Converts text from one encoding to another, strictly: nothing is substituted or dropped.
// FALSE at the first problem, described in *problem; *out then holds the text before it.
bool ConvertText(const std::string& in, const std::string& from, const std::string& to, std::string* out,
                 TextProblem* problem);

// A message for a failed conversion, e.g. "line 3: the character U+1F600 has no code in code
// page 949". withLine: the position is given as a line of the text (files), else as a byte.
std::string DescribeTextProblem(const TextProblem& problem, const std::string& in, const std::string& from,
                                const std::string& to, bool withLine);

// "code page 949", "UTF-8", ...: an encoding's name as messages give it.
std::string EncodingDisplayName(const std::string& name);

// A text argument of the command line (one of the argv elements given to InitUserEncoding, or
// any text in the user's encoding) as code page 949. FALSE with a message when the text holds a
// character code page 949 cannot express, or bytes that are not text in the user's encoding.
bool ArgumentToCp949(const char* argument, std::string* text, std::string* error);

// Code page 949 text in the user's encoding. Bytes that are not code page 949 text, and
// characters the user's encoding cannot express, are written as "\xNN", one escape per byte;
// everything else, backslashes included, is written as it is.
std::string Cp949ToUserText(const std::string& text);

// Writes code page 949 text to out: raw, the bytes exactly; otherwise as Cp949ToUserText gives
// it. FALSE when the stream fails. Every command that prints text prints it through this.
bool WriteCp949Text(FILE* out, const std::string& text, bool raw);
