// How reading and rewriting a settings file grows with the file: a damaged Tovel.ini
// with tens of thousands of sections must still be read and written at start and exit
// in about the time its bytes take, or a one-shot run stalls while holding the
// single-instance guard and every later start ends silently.
//
// Each size is read and rewritten (load, WriteInteger, serialise) several times; the
// median is reported with its ratio to the size before it. Linear work doubles
// (ratio about 2) from one row to the next; work that scans what was read so far for
// every section quadruples.
//
//   settings_document_scaling [largest section count, default 160000]

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/text_codec.h"
#include "settings/settings_document.h"

namespace {

using tovel::SettingsDocument;

// The files here are ASCII, so the ANSI code page's work is one unit a byte; the
// system's converter is not what is measured.
class AsciiCodec final : public tovel::TextCodec {
  public:
    std::uint32_t AnsiCodePage() override { return tovel::kCodePageWindowsLatin1; }
    std::u16string AnsiToUtf16(std::span<const std::uint8_t> bytes) override {
        return std::u16string(bytes.begin(), bytes.end());
    }
    std::vector<std::uint8_t> Utf16ToAnsi(std::u16string_view text) override {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }
};

// A file as a broken sync tool might leave it: the program's own section again and
// again among many distinct ones, about 64 bytes a section as in the damaged files
// seen in the field.
std::u16string DamagedFile(int sections) {
    std::u16string text;
    text.reserve(static_cast<std::size_t>(sections) * 64);
    for (int i = 0; i < sections; ++i) {
        if (i % 4 == 0) {
            text += u"[Line]\r\nCount=";
            text += static_cast<char16_t>(u'0' + i % 10);
        } else {
            const std::string number = std::to_string(i);
            text += u"[Copy ";
            text.append(number.begin(), number.end());
            text += u"]\r\nPath=C:\\Users\\user\\AppData\\x\r\nKey";
        }
        text += u"\r\n\r\n";
    }
    return text;
}

std::vector<std::uint8_t> AsAnsi(const std::u16string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());  // all ASCII
}

std::vector<std::uint8_t> AsUtf16LE(const std::u16string& text) {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

// Median seconds of a read and a rewrite of bytes.
double TimeReadAndRewrite(const std::vector<std::uint8_t>& bytes, int runs) {
    AsciiCodec codec;
    std::vector<double> seconds;
    std::size_t written = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        SettingsDocument document = SettingsDocument::Load(bytes, codec);
        document.WriteInteger(u"Line", u"Count", 5);
        written += document.Serialize(codec).size();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    if (written == 0) {
        std::abort();  // keeps the work from being optimised away
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 160000;
    const int runs = 5;
    std::printf("%-8s %9s %9s %11s %8s\n", "encoding", "sections", "MB", "read+write", "ratio");
    for (const char* encoding : {"ANSI", "UTF-16"}) {
        double previous = 0;
        for (int sections = 10000; sections <= largest; sections *= 2) {
            const std::u16string text = DamagedFile(sections);
            const std::vector<std::uint8_t> bytes =
                encoding[0] == 'A' ? AsAnsi(text) : AsUtf16LE(text);
            const double seconds = TimeReadAndRewrite(bytes, runs);
            std::printf("%-8s %9d %9.2f %9.1fms ", encoding, sections, bytes.size() / 1e6,
                        seconds * 1e3);
            if (previous > 0) {
                std::printf("%8.2f\n", seconds / previous);
            } else {
                std::printf("%8s\n", "-");
            }
            std::fflush(stdout);
            previous = seconds;
        }
    }
    return 0;
}
