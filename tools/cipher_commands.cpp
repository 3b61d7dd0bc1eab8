// vktool's portable commands: mask, lock, pack and show. They use the debugger's own cipher and
// script-file code, so what they write and print is what the debugger stores and shows.
#include "vktool.h"

#include "ScriptCipher.h"
#include "ScriptFiles.h"
#include "afx.h"

#include <climits>
#include <cstring>
#include <new>

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
        if (len > (ULONGLONG)INT_MAX) return SCRIPT_FILE_TOO_LARGE;
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

// lock and pack: read IN, check that the debugger will show its text back, write OUT.
int WriteProtected(const char* command, int argc, char** argv, FILE* err, DroppedFileKind kind,
                   const char* ext, ScriptWriter writer) {
    if (argc != 2) {
        std::fprintf(err, "usage: vktool %s IN OUT.%s\n", command, ext);
        return VK_EXIT_USAGE;
    }
    const char* in = argv[0];
    const char* out = argv[1];
    CString text;
    ScriptFileResult r = ReadWholeFile(in, &text);
    if (r != SCRIPT_FILE_OK) {
        std::fprintf(err, "vktool %s: %s: %s\n", command, in, DescribeScriptFileResult(r));
        return VK_EXIT_FAILURE;
    }
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
            std::fprintf(err, "vktool %s: a listing holds at most %d bytes of text\n", command,
                         SCRIPT_LISTING_TEXT_MAX);
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
    try {
        for (int i = 0; i < argc; ++i) {
            const CString masked = MaskTraceDetail(argv[i]);
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
    if (argc != 1) {
        std::fputs("usage: vktool show FILE.vkl|FILE.vkc|FILE.vkp\n", err);
        return VK_EXIT_USAGE;
    }
    const char* path = argv[0];
    CString text;
    ScriptFileResult r;
    // The same choice by extension as the debugger's file drop.
    switch (ClassifyDroppedFile(path)) {
    case DROPPED_FILE_LISTING:
        r = ReadScriptListing(path, &text);
        break;
    case DROPPED_FILE_COMPILED:
        r = ReadCompiledScript(path, &text);
        break;
    case DROPPED_FILE_TRACE:
        return VkShowTrace(path, out, err);
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
    if (!WriteBytes(out, text) || std::fflush(out) != 0) {
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
