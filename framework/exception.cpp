#include "framework/exception.h"

#include "framework/text.h"

namespace tovel {

Exception::Exception(std::u16string message)
    : FMessage(std::move(message)), FWhat(Utf16ToUtf8(FMessage)) {}

std::u16string ExceptionMessage(const std::exception& failure) {
    if (const auto* own = dynamic_cast<const Exception*>(&failure)) {
        return own->Message();
    }
    return Utf8ToUtf16(failure.what());
}

std::u16string FailureBoxText(const std::u16string& message) {
    if (!message.empty() && message.back() > u'.') {
        return message + u".";
    }
    return message;
}

}  // namespace tovel
