#pragma once

#include "platform/file_system.h"

namespace tovel::win32 {

// Files and folders through kernel32, and the special-folder lookup through shell32,
// one system call per operation.
class Win32FileSystem final : public FileSystem {
  public:
    std::optional<std::u16string> LookUpSpecialFolder(std::int32_t csidl) override;
    AttributeRead ReadAttributes(const std::u16string& path) override;
    std::uint32_t CreateFolder(const std::u16string& path) override;
    bool CanOpenThroughLinks(const std::u16string& path) override;
    FileRead ReadWholeFile(const std::u16string& path) override;
    std::uint32_t ReplaceWholeFile(const std::u16string& path,
                                   const std::vector<std::uint8_t>& contents) override;
};

}  // namespace tovel::win32
