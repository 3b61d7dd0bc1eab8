// vktool: the script engine's stand-in and the script protection tool (a console program).
//
// Each command gets the arguments after its name and returns the program's exit status:
// VK_EXIT_OK, VK_EXIT_FAILURE (with a message on the error stream) or VK_EXIT_USAGE.
#pragma once

#include <cstdio>

#define VK_EXIT_OK 0
#define VK_EXIT_FAILURE 1
#define VK_EXIT_USAGE 2

// vktool mask TEXT...: prints, one line each, what the debugger stores as the masked detail of
// each TEXT.
int VkMask(int argc, char** argv);
// vktool lock IN OUT.vkl: writes IN's text as an encrypted script listing.
int VkLock(int argc, char** argv);
// vktool pack IN OUT.vkc: writes IN's text as a compiled script.
int VkPack(int argc, char** argv);
// vktool show FILE: prints the clear text of a .vkl or .vkc file as the debugger shows it, or a
// .vkp trace file as a table.
int VkShow(int argc, char** argv);
// vktool profile TRACE.vkp: prints where a trace's time went, one line per function.
int VkProfile(int argc, char** argv);
// vktool export TRACE.vkp --chrome OUT.json | --folded OUT.txt: writes a trace's calls for
// timeline viewers and flame-graph tools.
int VkExport(int argc, char** argv);

// The same commands with their output and messages going to the given streams (binary streams,
// so the texts pass through as bytes).
int VkMask(int argc, char** argv, FILE* out, FILE* err);
int VkLock(int argc, char** argv, FILE* out, FILE* err);
int VkPack(int argc, char** argv, FILE* out, FILE* err);
int VkShow(int argc, char** argv, FILE* out, FILE* err);
int VkProfile(int argc, char** argv, FILE* out, FILE* err);
int VkExport(int argc, char** argv, FILE* out, FILE* err);
// vktool show FILE.vkp: prints a trace file as a table (function, delay, detail with its line
// breaks).
int VkShowTrace(const char* path, bool raw, FILE* out, FILE* err);
// vktool find FILE.vkp TEXT [--case] [--word]: prints the rows the debugger's Find finds for TEXT
// (row number, function, delay, detail; tab-separated); VK_EXIT_FAILURE when none.
int VkFind(int argc, char** argv);
int VkFind(int argc, char** argv, FILE* out, FILE* err);

#ifdef _WIN32
// The engine's stand-in (Windows only): sends trace records to a running debugger.
int VkSend(int argc, char** argv);
// Plays a scripted demonstration session against a running debugger (Windows only).
int VkDemo(int argc, char** argv);
// vktool capture OUT.vkp: receives trace records as the debugger does and writes their rows to a
// trace file as they arrive (Windows only).
int VkCapture(int argc, char** argv);
// vktool print TRACE.vkp: prints a trace file as the debugger's grid prints it, on a printer or
// into PNG images (Windows only).
int VkPrint(int argc, char** argv);
int VkPrint(int argc, char** argv, FILE* out, FILE* err);
#endif
