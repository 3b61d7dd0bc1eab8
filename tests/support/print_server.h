// The tests' own CUPS print server (scripts/print-server), which ctest starts before the
// Windows suites and points every Wine process of them at (CUPS_SERVER): it has no printer, so
// the machine's own printers never matter. A test that prints adds its PDF queue with a PdfQueue:
// printing there goes through the print dialog, Wine's PostScript driver and CUPS as it does for
// a user. (Wine hands programs it starts the environment Wine itself was started with, so the
// queue is changed on the server rather than CUPS_SERVER for one program.)
//
// The PDF's pages are read as images (pdftoppm): Wine's PostScript driver names the glyphs of
// the fonts it sends by their index, so the PDF carries no text that pdftotext could read back.
#pragma once

#include "e2e_input.h"
#include "png_reader.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace e2e {

class PdfQueue {
public:
    // The server's folder (a Linux path), empty when the suites run without ctest's server. (Wine
    // passes no variable whose name starts with VK_ on to Windows programs.)
    static std::string Folder() {
        const char* dir = std::getenv("VKTEST_PRINT_SERVER");
        return dir != nullptr ? std::string(dir) : std::string();
    }

    // The PDF queue is there, and the default printer, until this object ends.
    PdfQueue() : dir_(Folder()) {
        if (!dir_.empty()) added_ = Server("add-pdf");
    }
    ~PdfQueue() {
        if (added_) Server("remove-pdf");
    }

    bool Available() const { return added_; }

    // Waits until the server has written the job's PDF, and reads its pages as images at dpi dots
    // per inch; false with *why set when there is no PDF or it cannot be read.
    bool ReadPages(int dpi, std::vector<pngtest::Image>* pages, std::string* why) {
        const std::string out = dir_ + "/out";
        const std::string done = out + "/read." + std::to_string(GetCurrentProcessId());
        const std::string script = "rm -f " + out + "/page-*.ppm; '" + VK_SOURCE_DIR +
                                   "/scripts/print-server' wait '" + dir_ + "' 120 >" + out +
                                   "/wait.log 2>&1 && pdftoppm -r " + std::to_string(dpi) +
                                   " -aa no -aaVector no " + out + "/PDF.pdf " + out + "/page; touch " + done;
        DeleteFileA(ToWindowsPath(done).c_str());
        if (!RunLinuxShell(script, done, 150000)) {
            *why = "no PDF from the queue: " + ReadFileBytes(ToWindowsPath(out + "/wait.log"));
            return false;
        }
        DeleteFileA(ToWindowsPath(done).c_str());
        pages->clear();
        for (int n = 1;; n++) {
            // pdftoppm numbers pages with as many digits as the last page number has.
            std::string bytes;
            for (int digits = 1; digits <= 3 && bytes.empty(); digits++) {
                std::string number = std::to_string(n);
                number.insert(0, number.size() < (size_t)digits ? (size_t)digits - number.size() : 0, '0');
                bytes = ReadFileBytes(ToWindowsPath(out + "/page-" + number + ".ppm"));
            }
            if (bytes.empty()) break;
            pngtest::Image page;
            if (!ReadPpm(bytes, &page)) return *why = "page " + std::to_string(n) + " is no PPM image", false;
            pages->push_back(page);
        }
        if (pages->empty()) return *why = "the PDF has no pages", false;
        return true;
    }

private:
    bool Server(const std::string& command) {
        const std::string done = dir_ + "/" + command + "." + std::to_string(GetCurrentProcessId());
        DeleteFileA(ToWindowsPath(done).c_str());
        const bool ran =
            RunLinuxShell("'" + std::string(VK_SOURCE_DIR) + "/scripts/print-server' " + command + " '" +
                              dir_ + "' >" + done + ".log 2>&1 && touch " + done,
                          done, 30000);
        DeleteFileA(ToWindowsPath(done).c_str());
        return ran;
    }

    // A binary PPM (P6, 8 bits a sample), as pdftoppm writes it.
    static bool ReadPpm(const std::string& bytes, pngtest::Image* image) {
        int width = 0, height = 0, max = 0, used = 0;
        if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &width, &height, &max, &used) != 3 || max != 255 ||
            width <= 0 || height <= 0)
            return false;
        const std::size_t size = (std::size_t)width * height * 3, at = (std::size_t)used + 1;
        if (bytes.size() < at + size) return false;
        image->width = width;
        image->height = height;
        image->rgb.assign(bytes.begin() + (std::ptrdiff_t)at, bytes.begin() + (std::ptrdiff_t)(at + size));
        return true;
    }

    std::string dir_;
    bool added_ = false;
};

} // namespace e2e
