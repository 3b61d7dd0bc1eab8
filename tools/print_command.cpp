// vktool print TRACE.vkp: prints a saved trace as the debugger's grid prints it (Windows only).
// The trace goes into the debugger's grid, set up as the debugger's dialog sets it up, and the
// grid prints itself page by page on the default or a named printer, or into one PNG image per
// page (--png DIR) so that a trace can be archived or looked at without a printer.
#include "GridPrintJob.h"
#include "PageImageDC.h"
#include "TraceFile.h"
#include "TraceGridHost.h"
#include "png_writer.h"
#include "vktool.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: vktool print TRACE.vkp [--printer NAME] [--output FILE] [--pages RANGE]\n"
    "       vktool print TRACE.vkp --png DIR [--dpi N] [--paper SIZE] [--pages RANGE]\n"
    "Prints a saved trace as the debugger's grid prints it: the whole grid width on the paper's width,\n"
    "the heading row on every page, a header with the debugger's title and a footer with\n"
    "\"Page N of M\" and the date and time.\n"
    "  --printer NAME  print on this printer (default: the default printer)\n"
    "  --output FILE   let the printer's driver write its output to FILE (print to file)\n"
    "  --png DIR       write one PNG image per page into DIR (made if missing) instead of printing;\n"
    "                  the files are named after the trace: TRACE-001.png, TRACE-002.png, ...\n"
    "  --dpi N         resolution of the images, 50 to 600 dots per inch (default 150)\n"
    "  --paper SIZE    paper of the images: a3, a4, a5, letter or legal (default a4)\n"
    "  --pages RANGE   N, N-M, N- or -M: the pages to print (default all)\n"
    "Exit status: 0 printed, 1 failed (missing or unreadable trace, no printer, nothing to print),\n"
    "2 wrong arguments.\n";

struct Paper {
    const char* name;
    double widthMm, heightMm;
};
const Paper kPapers[] = {
    {"a3", 297, 420}, {"a4", 210, 297}, {"a5", 148, 210}, {"letter", 215.9, 279.4}, {"legal", 215.9, 355.6},
};

struct PrintOptions {
    const char* trace = nullptr;
    const char* printer = nullptr;
    const char* output = nullptr;
    const char* pngDir = nullptr;
    int dpi = 150;
    const Paper* paper = &kPapers[1];
    UINT fromPage = 1, toPage = 0;
    bool help = false;
};

bool ParseUInt(const char* s, UINT* value) {
    if (*s < '0' || *s > '9') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(s, &end, 10);
    if (*end != '\0' || errno != 0 || v == 0 || v > 65535) return false;
    *value = (UINT)v;
    return true;
}

// N, N-M, N- or -M.
bool ParsePages(const char* s, UINT* from, UINT* to) {
    std::string text(s);
    std::size_t dash = text.find('-');
    if (dash == std::string::npos) {
        if (!ParseUInt(s, from)) return false;
        *to = *from;
        return true;
    }
    std::string a = text.substr(0, dash), b = text.substr(dash + 1);
    if (a.empty() && b.empty()) return false;
    *from = 1;
    *to = 0;
    if (!a.empty() && !ParseUInt(a.c_str(), from)) return false;
    if (!b.empty() && !ParseUInt(b.c_str(), to)) return false;
    return *to == 0 || *from <= *to;
}

// FALSE with a message for arguments that make no command.
bool ParseOptions(int argc, char** argv, PrintOptions* o, FILE* err) {
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        auto value = [&](const char** v) {
            if (i + 1 >= argc) {
                std::fprintf(err, "vktool print: %s needs a value\n", a);
                return false;
            }
            *v = argv[++i];
            return true;
        };
        const char* v = nullptr;
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            o->help = true;
        } else if (std::strcmp(a, "--printer") == 0) {
            if (!value(&o->printer)) return false;
        } else if (std::strcmp(a, "--output") == 0) {
            if (!value(&o->output)) return false;
        } else if (std::strcmp(a, "--png") == 0) {
            if (!value(&o->pngDir)) return false;
        } else if (std::strcmp(a, "--dpi") == 0) {
            UINT dpi = 0;
            if (!value(&v)) return false;
            if (!ParseUInt(v, &dpi) || dpi < 50 || dpi > 600) {
                std::fprintf(err, "vktool print: --dpi %s: give a resolution from 50 to 600\n", v);
                return false;
            }
            o->dpi = (int)dpi;
        } else if (std::strcmp(a, "--paper") == 0) {
            if (!value(&v)) return false;
            o->paper = nullptr;
            for (const Paper& p : kPapers)
                if (_stricmp(p.name, v) == 0) o->paper = &p;
            if (o->paper == nullptr) {
                std::fprintf(err, "vktool print: --paper %s: give a3, a4, a5, letter or legal\n", v);
                return false;
            }
        } else if (std::strcmp(a, "--pages") == 0) {
            if (!value(&v)) return false;
            if (!ParsePages(v, &o->fromPage, &o->toPage)) {
                std::fprintf(err, "vktool print: --pages %s: give N, N-M, N- or -M with pages from 1\n", v);
                return false;
            }
        } else if (a[0] == '-' && a[1] != '\0') {
            std::fprintf(err, "vktool print: unknown option %s\n", a);
            return false;
        } else if (o->trace == nullptr) {
            o->trace = a;
        } else {
            std::fprintf(err, "vktool print: one trace file at a time (%s is a second one)\n", a);
            return false;
        }
    }
    if (o->help) return true;
    if (o->trace == nullptr) {
        std::fputs("vktool print: no trace file given\n", err);
        return false;
    }
    if (o->pngDir != nullptr && (o->printer != nullptr || o->output != nullptr)) {
        std::fputs("vktool print: --png writes images; it does not go with --printer or --output\n", err);
        return false;
    }
    return true;
}

// A trace file is text: NUL bytes at its start mean some other kind of file.
bool LooksBinary(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    char buffer[4096];
    size_t n = std::fread(buffer, 1, sizeof buffer, f);
    std::fclose(f);
    return std::memchr(buffer, '\0', n) != nullptr;
}

// The trace's file name without its folders and extension, for the image names.
std::string BaseName(const char* path) {
    std::string s(path);
    std::size_t slash = s.find_last_of("\\/:");
    if (slash != std::string::npos) s = s.substr(slash + 1);
    std::size_t dot = s.rfind('.');
    if (dot != std::string::npos && dot > 0) s = s.substr(0, dot);
    return s.empty() ? std::string("trace") : s;
}

bool MakeDirectory(const char* dir, FILE* err) {
    DWORD attributes = ::GetFileAttributesA(dir);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
        std::fprintf(err, "vktool print: %s is a file, not a folder\n", dir);
        return false;
    }
    if (::CreateDirectoryA(dir, nullptr)) return true;
    std::fprintf(err, "vktool print: cannot make the folder %s (error %lu)\n", dir,
                 (unsigned long)::GetLastError());
    return false;
}

int PrintToImages(CTraceGridHost& host, const PrintOptions& o, FILE* out, FILE* err) {
    if (!MakeDirectory(o.pngDir, err)) return VK_EXIT_FAILURE;
    const int width = (int)(o.paper->widthMm / 25.4 * o.dpi + 0.5);
    const int height = (int)(o.paper->heightMm / 25.4 * o.dpi + 0.5);
    // A quarter-inch margin on every side, as a printer leaves unprinted.
    CPageImageDC dc;
    if (!dc.Create(width, height, o.dpi, o.dpi / 4)) {
        std::fprintf(err, "vktool print: not enough memory for a page of %d x %d pixels\n", width, height);
        return VK_EXIT_FAILURE;
    }
    CPrintInfo info;
    info.m_bDirect = TRUE;
    info.m_pPD->m_pd.nFromPage = (WORD)o.fromPage;
    info.m_pPD->m_pd.nToPage = (WORD)(o.toPage == 0 ? 0xFFFF : o.toPage);

    const std::string base = BaseName(o.trace);
    std::string dir(o.pngDir);
    // The folder's own separator: a Unix path given under Wine keeps its slashes.
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/')
        dir += dir.find('/') != std::string::npos ? '/' : '\\';
    std::vector<std::string> written;
    std::string failed;
    dc.SetPageSink([&](UINT ordinal, const BYTE* bgr, int w, int h, int stride) -> BOOL {
        char name[32];
        std::snprintf(name, sizeof name, "-%03u.png", o.fromPage + ordinal - 1);
        std::string path = dir + base + name;
        if (!WritePngFile(path.c_str(), w, h, bgr, (std::size_t)stride, true)) {
            failed = path;
            return FALSE;
        }
        written.push_back(path);
        return TRUE;
    });
    const GridPrintResult r = RunGridPrintJob(host.Grid(), &dc, &info, base.c_str(), nullptr);
    for (const std::string& path : written)
        std::fprintf(out, "%s\n", path.c_str());
    if (!failed.empty()) {
        std::fprintf(err, "vktool print: cannot write %s\n", failed.c_str());
        return VK_EXIT_FAILURE;
    }
    if (r != GRID_PRINT_OK) {
        std::fprintf(err, "vktool print: %s: %s", o.trace, DescribeGridPrintResult(r));
        if (r == GRID_PRINT_NO_PAGES)
            std::fprintf(err, " (the trace has %u page%s)", info.GetMaxPage(),
                         info.GetMaxPage() == 1 ? "" : "s");
        std::fputs("\n", err);
        return VK_EXIT_FAILURE;
    }
    return VK_EXIT_OK;
}

int PrintToPrinter(CTraceGridHost& host, const PrintOptions& o, FILE* out, FILE* err) {
    GridPrintSettings settings;
    settings.printerName = o.printer != nullptr ? o.printer : "";
    settings.fromPage = o.fromPage;
    settings.toPage = o.toPage;
    settings.docName = BaseName(o.trace).c_str();
    settings.outputFile = o.output != nullptr ? o.output : "";
    UINT pages = 0;
    const GridPrintResult r = PrintGridToPrinter(host.Grid(), settings, &pages);
    if (r != GRID_PRINT_OK) {
        if (r == GRID_PRINT_NO_PRINTER && o.printer != nullptr)
            std::fprintf(err, "vktool print: there is no printer named \"%s\"\n", o.printer);
        else if (r == GRID_PRINT_NO_PRINTER)
            std::fputs("vktool print: no printer is installed (use --png DIR to write images instead)\n",
                       err);
        else
            std::fprintf(err, "vktool print: %s: %s\n", o.trace, DescribeGridPrintResult(r));
        return VK_EXIT_FAILURE;
    }
    std::fprintf(out, "printed %u page%s on %s\n", pages, pages == 1 ? "" : "s",
                 o.printer != nullptr ? o.printer : "the default printer");
    return VK_EXIT_OK;
}

} // namespace

int VkPrint(int argc, char** argv, FILE* out, FILE* err) {
    PrintOptions o;
    if (!ParseOptions(argc, argv, &o, err)) {
        std::fputs(kUsage, err);
        return VK_EXIT_USAGE;
    }
    if (o.help) {
        std::fputs(kUsage, out);
        return VK_EXIT_OK;
    }

    const DWORD attributes = ::GetFileAttributesA(o.trace);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(err, "vktool print: %s: no such file\n", o.trace);
        return VK_EXIT_FAILURE;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        std::fprintf(err, "vktool print: %s is a folder, not a trace file\n", o.trace);
        return VK_EXIT_FAILURE;
    }
    if (LooksBinary(o.trace)) {
        std::fprintf(err, "vktool print: %s: not a trace file (it holds binary data)\n", o.trace);
        return VK_EXIT_FAILURE;
    }
    std::vector<TraceRowText> rows;
    const TraceFileResult read = ReadTraceFile(o.trace, &rows);
    if (read != TRACE_FILE_OK) {
        std::fprintf(err, "vktool print: %s: %s\n", o.trace, DescribeTraceFileResult(read));
        return VK_EXIT_FAILURE;
    }
    if (rows.empty()) {
        std::fprintf(err, "vktool print: %s: the trace has no rows to print\n", o.trace);
        return VK_EXIT_FAILURE;
    }

    CTraceGridHost host;
    if (!host.Create()) {
        std::fputs("vktool print: cannot make the grid's window\n", err);
        return VK_EXIT_FAILURE;
    }
    host.AddRows(rows);
    return o.pngDir != nullptr ? PrintToImages(host, o, out, err) : PrintToPrinter(host, o, out, err);
}

int VkPrint(int argc, char** argv) {
    return VkPrint(argc, argv, stdout, stderr);
}
