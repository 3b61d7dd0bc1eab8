#include "ScriptFiles.h"

#include "ReplacingFile.h"
#include "ScriptCipher.h"

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

LPCTSTR DescribeScriptFileResult(ScriptFileResult result) {
    switch (result) {
    case SCRIPT_FILE_OK:
        return "no error";
    case SCRIPT_FILE_CANNOT_OPEN:
        return "cannot open the file";
    case SCRIPT_FILE_TOO_SHORT:
        return "the file is too short to hold an encrypted block; there is nothing to show";
    case SCRIPT_FILE_BAD_HEADER:
        return "the file does not start with the compiled script header";
    case SCRIPT_FILE_READ_ERROR:
        return "the file could not be read";
    case SCRIPT_FILE_TOO_LARGE:
        return "the file is too large to be shown";
    case SCRIPT_FILE_OUT_OF_MEMORY:
        return "out of memory";
    case SCRIPT_FILE_WRITE_ERROR:
        return "the file could not be written";
    case SCRIPT_FILE_TEXT_HAS_NUL:
        return "the text contains a NUL byte, where the viewer would cut it";
    case SCRIPT_FILE_TEXT_TOO_LONG:
        return "the text is too long for this kind of file";
    }
    return "unknown error";
}

namespace {
size_t g_textLimit = 0; // a lower limit set by a test; 0 for none
} // namespace

size_t ScriptTextLimit() {
    const size_t held = AfxMaxStringLength();
    return g_textLimit != 0 && g_textLimit < held ? g_textLimit : held;
}

void SetScriptTextLimit(size_t bytes) {
    g_textLimit = bytes;
}

size_t ScriptListingTextMax() {
    const size_t limit = ScriptTextLimit();
    return limit < 2 ? 0 : (limit - 2) / 32 * 16;
}

CString ExtractFileExtension(const CString& path) {
    const int pos = path.ReverseFind('.');
    if (pos < 0) return CString();
    return path.Mid(pos + 1);
}

DroppedFileKind ClassifyDroppedFile(const CString& path) {
    CString ext = ExtractFileExtension(path);
    ext.MakeUpper();
    if (ext.Compare("VKL") == 0) return DROPPED_FILE_LISTING;
    if (ext.Compare("VKC") == 0) return DROPPED_FILE_COMPILED;
    if (ext.Compare("VKP") == 0) return DROPPED_FILE_TRACE;
    return DROPPED_FILE_OTHER;
}

// Runs one reader or writer body, turning the failures it may throw into result codes. Allocation
// failures arrive as std::bad_alloc (the standard operator new) or as CMemoryException* (where the
// framework's operator new throws that); file errors as CFileException*.
template <class Body> static ScriptFileResult Guarded(Body body, ScriptFileResult fileError, CString* text) {
    ScriptFileResult result;
    try {
        result = body();
    } catch (CFileException* e) {
        e->Delete();
        result = fileError;
    } catch (CMemoryException* e) {
        e->Delete();
        result = SCRIPT_FILE_OUT_OF_MEMORY;
    } catch (const std::bad_alloc&) {
        result = SCRIPT_FILE_OUT_OF_MEMORY;
    } catch (const std::length_error&) { // a text longer than a string holds
        result = SCRIPT_FILE_TOO_LARGE;
    }
    if (text && result != SCRIPT_FILE_OK) text->Empty();
    return result;
}

ScriptFileResult ReadScriptListing(LPCTSTR path, CString* text) {
    text->Empty();
    CStdioFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeText)) return SCRIPT_FILE_CANNOT_OPEN;
    return Guarded(
        [&]() {
            // The first line whole, its line feed kept, so a long script decrypts whole. A NUL
            // byte ends the line's text there.
            CString read;
            const size_t limit = ScriptTextLimit();
            file.ReadLine(read, limit);
            // A line that fills the limit before its line end does not fit: refused, not
            // decrypted in part.
            if ((size_t)read.GetLength() >= limit && read[read.GetLength() - 1] != '\n')
                return SCRIPT_FILE_TOO_LARGE;
            const CString line((LPCTSTR)read);
            if (line.GetLength() < 16) return SCRIPT_FILE_TOO_SHORT;
            // The whole line goes to the decoder: the line feed after an even number of digits is
            // the odd last character, which the decoder ignores.
            CScriptCipher cipher;
            cipher.SetKey(SCRIPT_PASS_PHRASE);
            cipher.DecryptFromHex(line, text);
            file.Close();
            return SCRIPT_FILE_OK;
        },
        SCRIPT_FILE_READ_ERROR, text);
}

ScriptFileResult ReadCompiledScript(LPCTSTR path, CString* text) {
    text->Empty();
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeBinary)) return SCRIPT_FILE_CANNOT_OPEN;
    return Guarded(
        [&]() {
            const ULONGLONG len = file.GetLength();
            if (len <= COMPILED_SCRIPT_HEADER_SIZE) return SCRIPT_FILE_TOO_SHORT;
            // The header is compared as a NUL-terminated string, so a NUL inside it ends it early
            // and makes it differ.
            char header[COMPILED_SCRIPT_HEADER_SIZE + 1];
            std::memset(header, 0, sizeof header);
            file.Read(header, COMPILED_SCRIPT_HEADER_SIZE);
            if (_mbscmp((const unsigned char*)header, (const unsigned char*)COMPILED_SCRIPT_HEADER) != 0)
                return SCRIPT_FILE_BAD_HEADER;
            const ULONGLONG n = len - COMPILED_SCRIPT_HEADER_SIZE;
            if (n > (ULONGLONG)ScriptTextLimit()) return SCRIPT_FILE_TOO_LARGE;
            std::unique_ptr<BYTE[]> data(new BYTE[(size_t)n]);
            file.Seek(COMPILED_SCRIPT_HEADER_SIZE, CFile::begin);
            // A file that shrank since its length was taken is a read error, not a shorter text.
            if (file.Read(data.get(), (UINT)n) != (UINT)n) return SCRIPT_FILE_READ_ERROR;
            CScriptCipher cipher;
            cipher.SetKey(SCRIPT_PASS_PHRASE);
            cipher.DecryptBuffer(text, data.get(), (int)n);
            return SCRIPT_FILE_OK;
        },
        SCRIPT_FILE_READ_ERROR, text);
}

static BOOL HasNul(const CString& text) {
    return text.GetLength() > 0 && std::memchr((LPCTSTR)text, 0, (size_t)text.GetLength()) != nullptr;
}

ScriptFileResult WriteScriptListing(LPCTSTR path, const CString& text) {
    if (HasNul(text)) return SCRIPT_FILE_TEXT_HAS_NUL;
    if ((size_t)text.GetLength() > ScriptListingTextMax()) return SCRIPT_FILE_TEXT_TOO_LONG;
    return Guarded(
        [&]() {
            CString hex;
            CScriptCipher cipher;
            cipher.SetKey(SCRIPT_PASS_PHRASE);
            cipher.EncryptToHex(text, &hex);
            CReplacingFile file;
            if (!file.Open(path)) return SCRIPT_FILE_CANNOT_OPEN;
            // The line end as text mode writes it.
            file.Write((LPCTSTR)hex, (size_t)hex.GetLength());
            file.Write("\r\n", 2);
            return file.Commit() ? SCRIPT_FILE_OK : SCRIPT_FILE_WRITE_ERROR;
        },
        SCRIPT_FILE_WRITE_ERROR, nullptr);
}

ScriptFileResult WriteCompiledScript(LPCTSTR path, const CString& text) {
    if (HasNul(text)) return SCRIPT_FILE_TEXT_HAS_NUL;
    const size_t len = (size_t)text.GetLength();
    const size_t n = (len + 15) / 16 * 16;
    // The viewer reads the ciphertext into a text of its size.
    if (n > ScriptTextLimit()) return SCRIPT_FILE_TEXT_TOO_LONG;
    return Guarded(
        [&]() {
            // Zero padding: the viewer's text ends at the first NUL, so it shows the text exactly.
            std::unique_ptr<BYTE[]> data(new BYTE[n ? n : 1]());
            std::memcpy(data.get(), (LPCTSTR)text, len);
            CScriptCipher cipher;
            cipher.SetKey(SCRIPT_PASS_PHRASE);
            cipher.EncryptBlocks(data.get(), (int)n);
            CReplacingFile file;
            if (!file.Open(path)) return SCRIPT_FILE_CANNOT_OPEN;
            file.Write(COMPILED_SCRIPT_HEADER, COMPILED_SCRIPT_HEADER_SIZE);
            file.Write(data.get(), n);
            return file.Commit() ? SCRIPT_FILE_OK : SCRIPT_FILE_WRITE_ERROR;
        },
        SCRIPT_FILE_WRITE_ERROR, nullptr);
}
