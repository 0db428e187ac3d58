#pragma once

#include "platform/named_mutex.h"

namespace tovel::win32 {

class Win32NamedMutexes final : public NamedMutexes {
  public:
    bool OpenExisting(const std::u16string& name) override;
    Creation Create(const std::u16string& name) override;
};

}  // namespace tovel::win32
