#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/system_messages.h"
#include "platform/text_codec.h"
#include "settings/settings_document.h"

namespace tovel {

// The program's one remembered value: the line list's index, kept in Tovel.ini in the
// data folder under [Line] Count, so that a switch to whole-screen scrolling and back
// restores the line count.
class SettingsFile {
  public:
    // The index used while nothing is stored: three lines per notch.
    static constexpr std::int32_t kDefaultLineIndex = 2;

    // userDataDir ends with a backslash.
    SettingsFile(FileSystem& files, TextCodec& codec, SystemMessages& messages,
                 std::u16string userDataDir);

    const std::u16string& Path() const { return path_; }

    // The stored index as it is, without a range check; the default when the file, the
    // section or the key is missing or the value is no number. Creates nothing.
    // Throws Exception when the file is there but cannot be read.
    std::int32_t ReadLineIndex();

    // Stores index (-1 for no selection), keeping everything else the file holds, its
    // encoding and its mark. The file is replaced as a whole or not at all. Throws
    // Exception when the file cannot be read or the new one cannot be written.
    void SaveLineIndex(std::int32_t index);

  private:
    SettingsDocument LoadDocument();

    FileSystem& files_;
    TextCodec& codec_;
    SystemMessages& messages_;
    std::u16string path_;
};

// The system's error text as it goes into a failure message: without the trailing
// blanks, control characters and full stops ("." and the Japanese "。" and its
// full- and half-width forms) that would clash with the message's own punctuation.
std::u16string TrimSystemErrorText(std::u16string text);

}  // namespace tovel
