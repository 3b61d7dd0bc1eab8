// vktool capture as a build server runs it: started, fed by another process, killed or stopped,
// and its trace file read back.
#include "e2e_harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

std::string TempPath(const char* name) {
    char dir[MAX_PATH + 1] = {};
    GetTempPathA(sizeof dir, dir);
    DeleteFileA((std::string(dir) + name).c_str());
    return std::string(dir) + name;
}

e2e::RunResult RunCapture(const std::string& path) {
    return e2e::RunProgram(e2e::BinDir() + "\\vktool.exe", {"capture", path});
}

} // namespace

TEST(CaptureTest, ASecondReceiverIsRefusedAndAKillDuringAFloodKeepsEveryRecordAnsweredTrue) {
    const std::string path = TempPath("vk capture flood.vkp"), second = TempPath("vk capture second.vkp");
    e2e::Capture capture;
    std::string error;
    ASSERT_TRUE(capture.Start({path, "--quiet"}, &error)) << error;
    const e2e::RunResult r = RunCapture(second);
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_NE(std::string::npos, r.errors.find("one receiver at a time")) << r.errors;
    EXPECT_FALSE(e2e::FileExists(second));
    std::atomic<long> answered{0};
    std::thread killer([&] {
        e2e::WaitUntil([&] { return answered > 3000; }, e2e::SEND_TIMEOUT_MS);
        capture.Process().Kill();
    });
    for (long i = 0; capture.Send(e2e::KIND_TRACE, "F|record " + std::to_string(i)).result == TRUE; i++)
        answered = i + 1;
    killer.join();
    ASSERT_GT(answered.load(), 3000);
    // Every answered record, in order, in whole lines; at most one unanswered record after them.
    const std::string data = e2e::ReadFileBytes(path);
    long line = 0;
    size_t pos = 0;
    for (size_t end; (end = data.find("\r\n", pos)) != std::string::npos; pos = end + 2, line++) {
        const std::string text = data.substr(pos, end - pos);
        ASSERT_EQ("F||record " + std::to_string(line), text.substr(0, 2) + text.substr(text.find('|', 2)));
    }
    EXPECT_EQ(data.size(), pos) << "the file ends with a whole line";
    EXPECT_TRUE(line == answered || line == answered + 1) << line << " lines, " << answered << " answered";
    DeleteFileA(path.c_str());
}

TEST(CaptureTest, SessionStartsExistingFilesAndTheCount) {
    const std::string path = TempPath("vk capture sessions.vkp");
    const std::string old = "Old|5|kept\r\nNo line end";
    struct Case {
        std::vector<std::string> args;
        std::string before; // the file before ("": none)
        std::string starts; // the answers to three session starts
        std::string kept;   // what the file starts with after
    } cases[] = {
        {{"--count", "2"}, "", "111", ""},
        {{"--first", "--append", "--count", "2"}, old, "100", old + "\r\n"},
        {{"--refuse", "--overwrite", "--count", "2"}, old, "000", ""},
    };
    for (const Case& c : cases) {
        if (!c.before.empty()) {
            ASSERT_TRUE(e2e::WriteFileBytes(path, c.before));
        }
        e2e::Capture capture;
        std::string error;
        std::vector<std::string> args = {path, "--quiet"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ASSERT_TRUE(capture.Start(args, &error)) << error;
        std::string starts;
        for (int i = 0; i < 3; i++)
            starts += std::to_string(capture.Send(e2e::KIND_SESSION_START, "S" + std::to_string(i)).result);
        EXPECT_EQ(c.starts, starts) << c.args[0];
        EXPECT_EQ(TRUE, capture.Send(1, "A|x").result);
        EXPECT_EQ(TRUE, capture.Send(e2e::KIND_TRACE, "B|y").result);
        // The count's last record ends the capture.
        ASSERT_TRUE(capture.Process().Wait(e2e::EXIT_TIMEOUT_MS)) << c.args[0];
        EXPECT_EQ(0u, capture.Process().ExitCode()) << capture.Process().Errors();
        const std::string data = e2e::ReadFileBytes(path);
        EXPECT_EQ(c.kept + "A|", data.substr(0, c.kept.size() + 2));
        EXPECT_NE(std::string::npos, data.find("|" + std::string(96, '-') + "\r\n     B|")) << data;
        // Without --append or --overwrite an existing file is kept and nothing starts.
        const e2e::RunResult again = RunCapture(path);
        EXPECT_EQ(1u, again.exitCode);
        EXPECT_NE(std::string::npos, again.errors.find("--append")) << again.errors;
        EXPECT_EQ(data, e2e::ReadFileBytes(path));
    }
    DeleteFileA(path.c_str());
}

TEST(CaptureTest, AnUnwritableOrFullTargetRefusesRecordsAndExitsNonZero) {
    const e2e::RunResult r = RunCapture(TempPath("no such dir\\x.vkp"));
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_NE(std::string::npos, r.errors.find("cannot open")) << r.errors;
    // A full disk: Linux's /dev/full takes no byte.
    const char* full = "Z:\\dev\\full";
    const HANDLE h = CreateFileA(full, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no " << full << " here";
    CloseHandle(h);
    e2e::Capture capture;
    std::string error;
    ASSERT_TRUE(capture.Start({full, "--append", "--quiet"}, &error)) << error;
    EXPECT_EQ(TRUE, capture.Send(e2e::KIND_SESSION_START, "S").result);
    EXPECT_EQ(FALSE, capture.Send(e2e::KIND_TRACE, "A|x").result);
    ASSERT_TRUE(capture.Process().Wait(e2e::EXIT_TIMEOUT_MS));
    EXPECT_EQ(1u, capture.Process().ExitCode());
    EXPECT_NE(std::string::npos, capture.Process().Errors().find("cannot write"))
        << capture.Process().Errors();
    EXPECT_NE(std::string::npos, capture.Process().Output().find("0 records, 1 sessions, 1 refused"));
}

TEST(CaptureTest, ARecordAboveTheLimitIsRefusedAndTheNextTaken) {
    const std::string path = TempPath("vk capture limit.vkp");
    e2e::Capture capture;
    std::string error;
    ASSERT_TRUE(capture.Start({path, "--quiet", "--count", "1"}, &error)) << error;
    EXPECT_EQ(FALSE, capture.Send(e2e::KIND_TRACE, "B|" + std::string(16 * 1024 * 1024 - 1, 'z')).result);
    EXPECT_EQ(TRUE, capture.Send(e2e::KIND_TRACE, "A|x").result);
    ASSERT_TRUE(capture.Process().Wait(e2e::EXIT_TIMEOUT_MS));
    EXPECT_EQ(0u, capture.Process().ExitCode()) << capture.Process().Errors();
    const std::string data = e2e::ReadFileBytes(path);
    EXPECT_EQ("A|", data.substr(0, 2));
    EXPECT_EQ("|x\r\n", data.substr(data.size() < 4 ? 0 : data.size() - 4)) << data.size() << " bytes";
    EXPECT_NE(std::string::npos, capture.Process().Output().find("1 records, 0 sessions, 1 refused"));
    DeleteFileA(path.c_str());
}
