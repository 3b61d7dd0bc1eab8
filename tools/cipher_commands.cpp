// vktool's portable commands: mask, lock, pack and show. They use the debugger's own cipher and
// script-file code, so what they write and print is what the debugger stores and shows. Text
// arguments are taken in the user's encoding and script files as code page 949 (or UTF-8 with
// --encoding utf-8); both are turned into code page 949, the debugger's encoding, before use.
#include "vktool.h"

#include "ScriptCipher.h"
#include "ReplacingFile.h"
#include "ScriptFiles.h"
#include "afx.h"
#include "text_encoding.h"

#include <sys/stat.h>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Writes the bytes of a text; FALSE when the stream fails.
bool WriteBytes(FILE* out, const CString& text) {
    const size_t n = (size_t)text.GetLength();
    return n == 0 || std::fwrite((LPCTSTR)text, 1, n, out) == n;
}

// Reads a whole file in binary mode into *text (every byte, NULs included).
ScriptFileResult ReadWholeFile(LPCTSTR path, CString* text) {
    text->Empty();
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeBinary)) return SCRIPT_FILE_CANNOT_OPEN;
    try {
        const ULONGLONG len = file.GetLength();
        if (len > (ULONGLONG)ScriptTextLimit()) return SCRIPT_FILE_TOO_LARGE;
        char* buf = text->GetBufferSetLength((int)len);
        const UINT got = file.Read(buf, (UINT)len);
        text->ReleaseBuffer((int)got);
        if (got != (UINT)len) {
            text->Empty();
            return SCRIPT_FILE_READ_ERROR;
        }
        return SCRIPT_FILE_OK;
    } catch (CFileException* e) {
        e->Delete();
        text->Empty();
        return SCRIPT_FILE_READ_ERROR;
    } catch (CMemoryException* e) {
        e->Delete();
        text->Empty();
        return SCRIPT_FILE_OUT_OF_MEMORY;
    } catch (const std::bad_alloc&) {
        text->Empty();
        return SCRIPT_FILE_OUT_OF_MEMORY;
    }
}

typedef ScriptFileResult (*ScriptWriter)(LPCTSTR path, const CString& text);

// The encoding named by --encoding: "cp949" (or "949") and "utf-8" (or "utf8"), in any case.
bool ParseFileEncoding(const std::string& value, std::string* encoding) {
    std::string v = value;
    for (char& c : v)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    if (v == "cp949" || v == "949") {
        *encoding = TEXT_ENCODING_CP949;
        return true;
    }
    if (v == "utf-8" || v == "utf8") {
        *encoding = TEXT_ENCODING_UTF8;
        return true;
    }
    return false;
}

// The text of a script file in code page 949. A UTF-8 file may start with the byte order mark
// Windows editors write; it is not part of the text. Bytes that are not text in the file's
// encoding and characters code page 949 lacks are refused, with the line they are on.
bool ScriptTextToCp949(const std::string& bytes, const std::string& encoding, std::string* text,
                       std::string* error) {
    std::string in = bytes;
    if (encoding == TEXT_ENCODING_UTF8 && in.compare(0, 3, "\xEF\xBB\xBF") == 0) in.erase(0, 3);
    TextProblem problem;
    if (ConvertText(in, encoding, TEXT_ENCODING_CP949, text, &problem)) return true;
    *error = DescribeTextProblem(problem, in, encoding, TEXT_ENCODING_CP949, true);
    if (problem.kind == TextProblem::INVALID && encoding == TEXT_ENCODING_CP949)
        *error += " (for a file kept in UTF-8, give --encoding utf-8)";
    return false;
}

int Protect(const char* command, const char* in, const char* out, FILE* err, const std::string& encoding,
            DroppedFileKind kind, const char* ext, ScriptWriter writer);

// lock and pack: read IN, check that the debugger will show its text back, write OUT.
int WriteProtected(const char* command, int argc, char** argv, FILE* err, DroppedFileKind kind,
                   const char* ext, ScriptWriter writer) {
    std::string encoding = TEXT_ENCODING_CP949;
    std::vector<const char*> files;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--encoding" || a.compare(0, 11, "--encoding=") == 0) {
            const bool joined = a.size() > 10;
            if ((!joined && i + 1 >= argc) ||
                !ParseFileEncoding(joined ? a.substr(11) : argv[++i], &encoding)) {
                std::fprintf(err, "vktool %s: --encoding takes cp949 or utf-8\n", command);
                return VK_EXIT_USAGE;
            }
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.size() != 2) {
        std::fprintf(err, "usage: vktool %s IN OUT.%s [--encoding cp949|utf-8]\n", command, ext);
        return VK_EXIT_USAGE;
    }
    const char* in = files[0];
    const char* out = files[1];
    // Written whole first, an output that is the input would still end up in the input's place:
    // refused, by whatever name the input is given.
    if (IsSameFile(in, out)) {
        std::fprintf(err, "vktool %s: %s is the input file %s; give another output, the input is kept\n",
                     command, out, in);
        return VK_EXIT_USAGE;
    }
    try {
        return Protect(command, in, out, err, encoding, kind, ext, writer);
    } catch (CMemoryException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    std::fprintf(err, "vktool %s: %s: out of memory\n", command, in);
    return VK_EXIT_FAILURE;
}

// The body of lock and pack once the arguments are checked; memory failures are the caller's.
int Protect(const char* command, const char* in, const char* out, FILE* err, const std::string& encoding,
            DroppedFileKind kind, const char* ext, ScriptWriter writer) {
    CString bytes;
    ScriptFileResult r = ReadWholeFile(in, &bytes);
    if (r != SCRIPT_FILE_OK) {
        std::fprintf(err, "vktool %s: %s: %s\n", command, in, DescribeScriptFileResult(r));
        return VK_EXIT_FAILURE;
    }
    std::string converted, why;
    if (!ScriptTextToCp949(bytes.str(), encoding, &converted, &why)) {
        std::fprintf(err, "vktool %s: %s: %s\n", command, in, why.c_str());
        return VK_EXIT_FAILURE;
    }
    const CString text(converted.data(), (int)converted.size());
    if (text.IsEmpty()) {
        std::fprintf(err, "vktool %s: %s: the file is empty; the debugger would show nothing\n", command, in);
        return VK_EXIT_FAILURE;
    }
    if (ClassifyDroppedFile(out) != kind)
        std::fprintf(err,
                     "vktool %s: warning: %s does not end in .%s; the debugger recognises a dropped file by "
                     "that extension\n",
                     command, out, ext);
    r = writer(out, text);
    if (r == SCRIPT_FILE_TEXT_HAS_NUL || r == SCRIPT_FILE_TEXT_TOO_LONG) {
        std::fprintf(err, "vktool %s: %s: %s\n", command, in, DescribeScriptFileResult(r));
        if (r == SCRIPT_FILE_TEXT_TOO_LONG && kind == DROPPED_FILE_LISTING)
            std::fprintf(err, "vktool %s: a listing holds at most %lu bytes of text\n", command,
                         (unsigned long)ScriptListingTextMax());
        return VK_EXIT_FAILURE;
    }
    if (r != SCRIPT_FILE_OK) {
        std::fprintf(err, "vktool %s: %s: %s\n", command, out, DescribeScriptFileResult(r));
        return VK_EXIT_FAILURE;
    }
    return VK_EXIT_OK;
}

} // namespace

int VkMask(int argc, char** argv, FILE* out, FILE* err) {
    if (argc < 1) {
        std::fputs("usage: vktool mask TEXT...\n", err);
        return VK_EXIT_USAGE;
    }
    // Every text is converted before anything is printed: a bad one leaves no partial output.
    std::vector<std::string> texts((size_t)argc);
    for (int i = 0; i < argc; ++i) {
        std::string error;
        if (!ArgumentToCp949(argv[i], &texts[(size_t)i], &error)) {
            std::fprintf(err, "vktool mask: %s\n", error.c_str());
            return VK_EXIT_USAGE;
        }
    }
    try {
        for (int i = 0; i < argc; ++i) {
            const std::string& text = texts[(size_t)i];
            const CString masked = MaskTraceDetail(CString(text.data(), (int)text.size()));
            if (!WriteBytes(out, masked) || std::fputc('\n', out) == EOF) {
                std::fputs("vktool mask: cannot write the output\n", err);
                return VK_EXIT_FAILURE;
            }
        }
    } catch (CMemoryException* e) {
        e->Delete();
        std::fputs("vktool mask: out of memory\n", err);
        return VK_EXIT_FAILURE;
    } catch (const std::bad_alloc&) {
        std::fputs("vktool mask: out of memory\n", err);
        return VK_EXIT_FAILURE;
    }
    if (std::fflush(out) != 0) {
        std::fputs("vktool mask: cannot write the output\n", err);
        return VK_EXIT_FAILURE;
    }
    return VK_EXIT_OK;
}

int VkLock(int argc, char** argv, FILE*, FILE* err) {
    return WriteProtected("lock", argc, argv, err, DROPPED_FILE_LISTING, "vkl", WriteScriptListing);
}

int VkPack(int argc, char** argv, FILE*, FILE* err) {
    return WriteProtected("pack", argc, argv, err, DROPPED_FILE_COMPILED, "vkc", WriteCompiledScript);
}

int VkShow(int argc, char** argv, FILE* out, FILE* err) {
    bool raw = false;
    const char* path = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--raw") == 0)
            raw = true;
        else if (!path)
            path = argv[i];
        else
            path = "";
    }
    if (!path || !*path) {
        std::fputs("usage: vktool show FILE.vkl|FILE.vkc|FILE.vkp [--raw]\n", err);
        return VK_EXIT_USAGE;
    }
    // The same choice by extension as the debugger's file drop; a file of a known kind that is
    // missing, or a folder, is named as such.
    const DroppedFileKind kind = ClassifyDroppedFile(path);
    struct stat st;
    if (kind != DROPPED_FILE_OTHER && (stat(path, &st) != 0 || S_ISDIR(st.st_mode))) {
        std::fprintf(err, "vktool show: %s: cannot open the file: %s\n", path,
                     stat(path, &st) != 0 ? "there is no such file" : "it is a folder");
        return VK_EXIT_FAILURE;
    }
    CString text;
    ScriptFileResult r;
    switch (kind) {
    case DROPPED_FILE_LISTING:
        r = ReadScriptListing(path, &text);
        break;
    case DROPPED_FILE_COMPILED:
        r = ReadCompiledScript(path, &text);
        break;
    case DROPPED_FILE_TRACE:
        return VkShowTrace(path, raw, out, err);
    default: {
        const CString ext = ExtractFileExtension(path);
        if (ext.IsEmpty())
            std::fprintf(err, "vktool show: %s: no extension (expected .vkl, .vkc or .vkp)\n", path);
        else
            std::fprintf(err, "vktool show: %s: unknown extension \".%s\" (expected .vkl, .vkc or .vkp)\n",
                         path, (LPCTSTR)ext);
        return VK_EXIT_FAILURE;
    }
    }
    if (r != SCRIPT_FILE_OK) {
        std::fprintf(err, "vktool show: %s: %s\n", path, DescribeScriptFileResult(r));
        return VK_EXIT_FAILURE;
    }
    // Shown text ends with a line end, so that the shell's prompt starts a line of its own; the
    // raw bytes stay as the file holds them.
    if (!raw && !text.IsEmpty() && text[text.GetLength() - 1] != '\n') text += '\n';
    if (!WriteCp949Text(out, text.str(), raw) || std::fflush(out) != 0) {
        std::fputs("vktool show: cannot write the output\n", err);
        return VK_EXIT_FAILURE;
    }
    return VK_EXIT_OK;
}

int VkMask(int argc, char** argv) {
    return VkMask(argc, argv, stdout, stderr);
}
int VkLock(int argc, char** argv) {
    return VkLock(argc, argv, stdout, stderr);
}
int VkPack(int argc, char** argv) {
    return VkPack(argc, argv, stdout, stderr);
}
int VkShow(int argc, char** argv) {
    return VkShow(argc, argv, stdout, stderr);
}
