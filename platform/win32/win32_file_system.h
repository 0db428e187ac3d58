#pragma once

#include <functional>
#include <utility>

#include "platform/file_system.h"

namespace tovel::win32 {

// Files and folders through kernel32, and the special-folder lookup through shell32,
// one system call per operation.
class Win32FileSystem final : public FileSystem {
  public:
    // The step of a whole-file write in which the new copy (replacement) takes the
    // place of the existing file (target): kErrorSuccess or the error code, the
    // files left as the system's ReplaceFileW leaves them.
    using ReplaceStep =
        std::function<std::uint32_t(const std::u16string& target, const std::u16string& replacement)>;

    // The path of the file that `file` (a handle open on it) finally names,
    // every link on the way resolved; nothing where the system cannot say.
    using FinalPathQuery = std::function<std::optional<std::u16string>(void* file)>;

    Win32FileSystem();
    // With another replace step or final-path query, for a test that makes
    // the system's fail.
    explicit Win32FileSystem(ReplaceStep replace);
    Win32FileSystem(ReplaceStep replace, FinalPathQuery finalPath);

    std::optional<std::u16string> LookUpSpecialFolder(std::int32_t csidl) override;
    AttributeRead ReadAttributes(const std::u16string& path) override;
    std::uint32_t CreateFolder(const std::u16string& path) override;
    bool CanOpenThroughLinks(const std::u16string& path) override;
    FileRead ReadWholeFile(const std::u16string& path) override;
    std::uint32_t ReplaceWholeFile(const std::u16string& path,
                                   const std::vector<std::uint8_t>& contents) override;

    // The system's replace and final-path query.
    static std::uint32_t SystemReplace(const std::u16string& target,
                                       const std::u16string& replacement);
    static std::optional<std::u16string> SystemFinalPath(void* file);

  private:
    ReplaceStep replace_;
    FinalPathQuery finalPath_;
};

}  // namespace tovel::win32
