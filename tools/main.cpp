// vktool's entry point: dispatches to the command named by the first argument.
#include "vktool.h"

#include "afx.h"
#include "text_encoding.h"

#include <cstring>
#include <new>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

static void PrintUsage(FILE* f) {
    std::fputs("usage: vktool COMMAND [ARGUMENTS]\n"
               "  mask TEXT...      print, one line each, the masked form the debugger stores for TEXT\n"
               "  lock IN OUT.vkl [--encoding cp949|utf-8]\n"
               "                    write the text of file IN as an encrypted script listing\n"
               "  pack IN OUT.vkc [--encoding cp949|utf-8]\n"
               "                    write the text of file IN as a compiled script\n"
               "  show FILE [--raw] print the clear text of a .vkl or .vkc file as the debugger shows it\n"
               "                    (no line end added), or a .vkp trace file as a table\n"
               "  profile TRACE.vkp [--sort total|calls|self|max] [--top N]\n"
               "                    print where a trace's time went: calls, total, self, mean and\n"
               "                    slowest call of each function\n"
               "  export TRACE.vkp [--chrome OUT.json] [--folded OUT.txt]\n"
               "                    write a trace's calls for timeline viewers (Trace Event Format)\n"
               "                    and flame-graph tools (folded stacks), in UTF-8\n"
               "  find TRACE.vkp TEXT [--case] [--word]\n"
               "                    print the rows the debugger's Find finds for TEXT: row number,\n"
               "                    function, delay and detail, tab-separated\n"
               "  send ...          act as the script engine: send trace records (Windows only)\n"
               "  demo ...          play a demonstration session (Windows only)\n"
               "  capture OUT.vkp   receive trace records as the debugger does, with nobody watching, and\n"
               "                    write their rows to a trace file (Windows only; capture --help)\n"
               "  print TRACE.vkp   print a trace file as the debugger's grid prints it, on a printer or\n"
               "                    into PNG images (--png DIR; Windows only; print --help for more)\n"
               "Text on the command line is read in your locale's encoding (UTF-8 in the C locale) and\n"
               "used as code page 949, the debugger's; a character 949 lacks is an error. show prints in\n"
               "your locale's encoding, bytes that are not 949 text as \\xNN; --raw prints the bytes as\n"
               "they are. lock and pack read IN as code page 949, or as UTF-8 with --encoding utf-8.\n",
               f);
}

static int Dispatch(const char* command, int argc, char** argv) {
    if (std::strcmp(command, "mask") == 0) return VkMask(argc, argv);
    if (std::strcmp(command, "lock") == 0) return VkLock(argc, argv);
    if (std::strcmp(command, "pack") == 0) return VkPack(argc, argv);
    if (std::strcmp(command, "show") == 0) return VkShow(argc, argv);
    if (std::strcmp(command, "profile") == 0) return VkProfile(argc, argv);
    if (std::strcmp(command, "export") == 0) return VkExport(argc, argv);
    if (std::strcmp(command, "find") == 0) return VkFind(argc, argv);
    if (std::strcmp(command, "send") == 0 || std::strcmp(command, "demo") == 0) {
#if defined(_WIN32) && defined(VKTOOL_ENGINE_COMMANDS)
        return command[0] == 's' ? VkSend(argc, argv) : VkDemo(argc, argv);
#else
        std::fprintf(
            stderr,
            "vktool: '%s' talks to the debugger's window and is available in the Windows build only\n",
            command);
        return VK_EXIT_USAGE;
#endif
    }
    if (std::strcmp(command, "capture") == 0) {
#if defined(_WIN32) && defined(VKTOOL_CAPTURE_COMMAND)
        return VkCapture(argc, argv);
#else
        std::fputs("vktool: 'capture' receives the engine's window messages and is available in the Windows "
                   "build only\n",
                   stderr);
        return VK_EXIT_USAGE;
#endif
    }
    if (std::strcmp(command, "print") == 0) {
#if defined(_WIN32) && defined(VKTOOL_PRINT_COMMAND)
        return VkPrint(argc, argv);
#else
        std::fputs("vktool: 'print' uses the debugger's grid and is available in the Windows build only\n",
                   stderr);
        return VK_EXIT_USAGE;
#endif
    }
    if (std::strcmp(command, "help") == 0 || std::strcmp(command, "--help") == 0 ||
        std::strcmp(command, "-h") == 0) {
        PrintUsage(stdout);
        return VK_EXIT_OK;
    }
    std::fprintf(stderr, "vktool: unknown command '%s'\n", command);
    PrintUsage(stderr);
    return VK_EXIT_USAGE;
}

int main(int argc, char** argv) {
#ifdef _WIN32
    // Texts pass through as bytes: no LF to CR LF translation on the way out.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    InitUserEncoding(argc, argv);
    if (argc < 2) {
        PrintUsage(stderr);
        return VK_EXIT_USAGE;
    }
    // The commands report their own failures; this is the last resort for anything they let
    // through, so the tool never ends with an unhandled exception.
    try {
        return Dispatch(argv[1], argc - 2, argv + 2);
    } catch (const std::bad_alloc&) {
        std::fputs("vktool: out of memory\n", stderr);
    } catch (CException* e) {
        char text[512];
        if (!e->GetErrorMessage(text, sizeof text)) std::strcpy(text, "unexpected error");
        e->Delete();
        std::fprintf(stderr, "vktool: %s\n", text);
    }
    return VK_EXIT_FAILURE;
}
