#include "platform/headless/headless_system_messages.h"

#include "platform/file_system.h"

namespace tovel::headless {

// Shaped like the system's own: a sentence with its full stop and a line break after it.
HeadlessSystemMessages::HeadlessSystemMessages()
    : texts_{
          {kErrorFileNotFound, u"指定されたファイルが見つかりません。\r\n"},
          {kErrorPathNotFound, u"指定されたパスが見つかりません。\r\n"},
          {kErrorAccessDenied, u"アクセスが拒否されました。\r\n"},
          {kErrorSharingViolation,
           u"プロセスはファイルにアクセスできません。別のプロセスが使用中です。\r\n"},
          {kErrorDiskFull, u"ディスクに十分な空き領域がありません。\r\n"},
      } {}

std::u16string HeadlessSystemMessages::ErrorText(std::uint32_t code) {
    const auto found = texts_.find(code);
    return found == texts_.end() ? std::u16string() : found->second;
}

}  // namespace tovel::headless
