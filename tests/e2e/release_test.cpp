// The release as a Windows user gets it: the installer made by scripts/package, run silently for
// the current user, installs the program, its shortcut and its uninstaller; the installed program
// takes a sample engine's trace; the uninstaller takes away every file and key the installer made.
#include "e2e_harness.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VkDebuger";

// build\release\VkDebuger-<version>-setup.exe, and the version from its name.
std::string FindInstaller(std::string* version) {
    const std::string dir = e2e::SourceDir() + "\\build\\release\\";
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "VkDebuger-*-setup.exe").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return std::string();
    FindClose(find);
    const std::string name = fd.cFileName;
    *version = name.substr(10, name.size() - 10 - 10);
    return dir + name;
}

// A value of the uninstall entry, or "<none>".
std::string UninstallValue(const char* value) {
    char data[1024];
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, value, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return "<none>";
    return data;
}

// The fixed file version of a program as a.b.c.d, and a string of its version information.
std::string FileVersion(const std::string& path, const char* stringName = nullptr) {
    DWORD handle = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &handle));
    if (info.empty() || !GetFileVersionInfoA(path.c_str(), 0, (DWORD)info.size(), info.data()))
        return "<none>";
    if (stringName != nullptr) {
        struct {
            WORD language, codePage;
        }* translation = nullptr;
        UINT size = 0;
        if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", (void**)&translation, &size) ||
            size < 4)
            return "<none>";
        char key[64];
        snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translation->language,
                 translation->codePage, stringName);
        char* text = nullptr;
        if (!VerQueryValueA(info.data(), key, (void**)&text, &size)) return "<none>";
        return text;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(info.data(), "\\", (void**)&fixed, &size)) return "<none>";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

bool KeyExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Uninstalls what a failed check left installed, so that the next run starts clean.
struct UninstallLeftover {
    ~UninstallLeftover() {
        if (!KeyExists()) return;
        e2e::ChildProcess uninstall;
        std::string error;
        if (uninstall.Start(UninstallValue("InstallLocation") + "\\Uninstall.exe", {"/S", "/CurrentUser"},
                            &error, false))
            e2e::WaitUntil([] { return !KeyExists(); }, 60000);
    }
};

} // namespace

// Large-address-aware: the 32-bit program may use 4 GB under a 64-bit system, not 2.
TEST(Release, TheProgramIsLargeAddressAware) {
    const unsigned flags = e2e::PeCharacteristics(e2e::BinDir() + "\\VkDebuger.exe");
    ASSERT_NE(0u, flags);
    EXPECT_TRUE(flags & IMAGE_FILE_LARGE_ADDRESS_AWARE);
}

TEST(Release, TheInstallerInstallsARunningProgramAndTheUninstallerRemovesIt) {
    std::string version;
    const std::string installer = FindInstaller(&version);
    if (installer.empty()) GTEST_SKIP() << "build\\release holds no installer (scripts/package makes it)";
    // The installer and the program it installs are 32-bit programs.
    const std::string vktool32 = e2e::FindBuiltProgram("vktool.exe", 32);
    const e2e::RunResult probe = e2e::RunProgram(vktool32, {"--help"}, e2e::START_TIMEOUT_MS);
    // Without 32-bit Wine a 32-bit program "ends" at once with code 0 and prints nothing.
    if (vktool32.empty() || !probe.ended || probe.exitCode != 0 || probe.output.empty())
        GTEST_SKIP() << "32-bit programs cannot run here: "
                     << (vktool32.empty() ? "none is built"
                         : probe.ended    ? "vktool --help printed nothing"
                                          : probe.problem);
    ASSERT_FALSE(KeyExists()) << "the program is already installed in this prefix";
    UninstallLeftover leftover;
    EXPECT_EQ(32, e2e::PeBits(installer));
    // One version everywhere: the program's own resource, the installer's name and properties.
    EXPECT_EQ(version, FileVersion(installer));
    EXPECT_EQ("Valkorine", FileVersion(installer, "CompanyName"));

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "VkDebugerInstall" + std::to_string(GetTickCount());
    char programs[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs));
    const std::string shortcut = std::string(programs) + "\\Valkorine Debuger.lnk";

    // Silent, for this user, into a folder of the test's (/D= goes last and unquoted).
    e2e::ChildProcess setup;
    std::string error;
    ASSERT_TRUE(setup.Start(installer, {"/S", "/CurrentUser", "/D=" + dir}, &error, false)) << error;
    ASSERT_TRUE(setup.Wait(60000)) << "the installer did not end";
    EXPECT_EQ(0u, setup.ExitCode());

    const char* files[] = {"VkDebuger.exe", "vktool.exe",        "GridSample.exe",          "ReadMe.txt",
                           "Uninstall.exe", "client\\vktrace.h", "samples\\sample_engine.c"};
    for (const char* f : files)
        EXPECT_TRUE(e2e::FileExists(dir + "\\" + f)) << f << " was not installed";
    EXPECT_EQ(32, e2e::PeBits(dir + "\\VkDebuger.exe")) << "the shipped program is the 32-bit one";
    EXPECT_TRUE(e2e::PeCharacteristics(dir + "\\VkDebuger.exe") & IMAGE_FILE_LARGE_ADDRESS_AWARE);
    EXPECT_EQ(version, FileVersion(dir + "\\VkDebuger.exe"));
    EXPECT_TRUE(e2e::FileExists(shortcut)) << shortcut;
    EXPECT_EQ("Valkorine Debuger", UninstallValue("DisplayName"));
    EXPECT_EQ(version, UninstallValue("DisplayVersion"));
    EXPECT_EQ("Valkorine", UninstallValue("Publisher"));
    EXPECT_EQ(dir, UninstallValue("InstallLocation"));
    EXPECT_EQ("\"" + dir + "\\Uninstall.exe\" /CurrentUser", UninstallValue("UninstallString"));

    // The installed program takes the sample engine's trace.
    {
        e2e::Debugger dbg;
        ASSERT_TRUE(dbg.Launch(&error, dir + "\\VkDebuger.exe")) << error;
        e2e::ChildProcess engine;
        const std::string sample = e2e::BinDir() + "\\sample_engine.exe";
        ASSERT_TRUE(engine.Start(sample, {"R-1"}, &error)) << error;
        HWND box = dbg.WaitForPrompt(e2e::START_TIMEOUT_MS);
        ASSERT_NE(nullptr, box);
        ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
        ASSERT_TRUE(engine.Wait(e2e::SEND_TIMEOUT_MS));
        std::string output = engine.Output();
        output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
        EXPECT_EQ("sample_engine: session R-1 traced, total 14\n", output);
        EXPECT_EQ("exit 0", dbg.ShowRow(15));
    }

    // The uninstaller runs from a copy of itself and ends at once; the folder goes when it is done.
    e2e::ChildProcess uninstall;
    ASSERT_TRUE(uninstall.Start(dir + "\\Uninstall.exe", {"/S", "/CurrentUser"}, &error, false)) << error;
    EXPECT_TRUE(e2e::WaitUntil([&] { return !PathExists(dir) && !KeyExists(); }, 60000))
        << "the uninstaller left " << (PathExists(dir) ? dir : std::string("its registry key"));
    EXPECT_FALSE(PathExists(shortcut)) << "the shortcut was left";
}
