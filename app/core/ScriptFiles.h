// The two protected script files: the encrypted listing (.VKL, a text file whose first line is
// the script's ciphertext in hexadecimal) and the compiled script (.VKC, a 32-byte header and the
// raw SEED ciphertext). The readers are the viewers' file logic without the window: they return a
// result code and the clear text, and the caller decides what to show. The writers produce files
// the readers show back.
#pragma once

#include "afx.h"

// The exact 32 bytes at the start of a compiled script (no NUL in the file).
#define COMPILED_SCRIPT_HEADER "Valkorine Compiled Script V2.0  "
#define COMPILED_SCRIPT_HEADER_SIZE 32
// The listing viewer's line buffer of old: a first line this long or longer was cut there. The
// viewer now reads the whole line.
#define SCRIPT_LISTING_LINE_MAX 1000000

// The most bytes of one text the script files are read into or written from: what a string holds
// (AfxMaxStringLength: 1 GiB on a 32-bit build). A compiled script's ciphertext, a listing's first
// line and vktool's input file larger than that are refused as SCRIPT_FILE_TOO_LARGE, a text whose
// file would be as SCRIPT_FILE_TEXT_TOO_LONG.
size_t ScriptTextLimit();
// Lowers the limit, so that tests reach those refusals without files of a gigabyte; 0 restores it.
void SetScriptTextLimit(size_t bytes);
// The longest text a listing can hold: its digits (32 per 16-byte block) and the line feed must
// fit in a string.
size_t ScriptListingTextMax();

enum ScriptFileResult {
    SCRIPT_FILE_OK = 0,
    SCRIPT_FILE_CANNOT_OPEN,   // the file could not be opened (or, for a writer, created)
    SCRIPT_FILE_TOO_SHORT,     // nothing to show: a listing's first line is missing or shorter than
                               // 16 characters, a compiled script holds no more than its header
    SCRIPT_FILE_BAD_HEADER,    // a compiled script without the exact header
    SCRIPT_FILE_READ_ERROR,    // a CFileException while reading
    SCRIPT_FILE_TOO_LARGE,     // a compiled script larger than a text can be
    SCRIPT_FILE_OUT_OF_MEMORY, // a buffer could not be allocated
    SCRIPT_FILE_WRITE_ERROR,   // a CFileException while writing
    SCRIPT_FILE_TEXT_HAS_NUL,  // a writer's text holds a NUL byte, where the viewer would cut it
    SCRIPT_FILE_TEXT_TOO_LONG  // a writer's text does not fit the file (a listing's first line)
};

// A short English description of a result, for messages ("cannot open the file", ...).
LPCTSTR DescribeScriptFileResult(ScriptFileResult result);

// The text after the last "." of the path (searched over the whole path, not only the file
// name); empty when there is no ".".
CString ExtractFileExtension(const CString& path);

enum DroppedFileKind { DROPPED_FILE_OTHER, DROPPED_FILE_LISTING, DROPPED_FILE_COMPILED, DROPPED_FILE_TRACE };

// What a dropped file is by its extension, upper-cased and compared exactly, in the order
// "VKL", "VKC", "VKP".
DroppedFileKind ClassifyDroppedFile(const CString& path);

// The listing viewer's logic: opens the file in text mode, reads the whole first line, and
// decrypts it with DecryptFromHex when it holds at least 16 characters, line feed included; a
// line longer than ScriptTextLimit is SCRIPT_FILE_TOO_LARGE. *text receives the clear text on
// SCRIPT_FILE_OK and is empty otherwise.
ScriptFileResult ReadScriptListing(LPCTSTR path, CString* text);

// The compiled-script viewer's logic: binary file longer than 32 bytes, the exact header, then
// DecryptBuffer of the remaining bytes. *text receives the clear text on SCRIPT_FILE_OK and is
// empty otherwise.
ScriptFileResult ReadCompiledScript(LPCTSTR path, CString* text);

// Writes a listing: EncryptToHex of the text as the first line, then a line end (text mode).
// The listing viewer shows the text back without its trailing white space. Refuses a text with a
// NUL byte and one longer than ScriptListingTextMax bytes. The writers put the file in path's
// place only once it is whole (CReplacingFile): on failure a file already there stays as it was.
ScriptFileResult WriteScriptListing(LPCTSTR path, const CString& text);

// Writes a compiled script: the header, then SEED-ECB of the text's bytes with the last block
// padded with zero bytes. The compiled-script viewer shows the text back exactly. Refuses a text
// with a NUL byte.
ScriptFileResult WriteCompiledScript(LPCTSTR path, const CString& text);
