#pragma once

#include <exception>
#include <string>

namespace tovel {

// A failure whose message is meant for the user: it is what the failure box
// shows when the failure escapes an event handler.
class Exception : public std::exception {
  public:
    explicit Exception(std::u16string message);

    const std::u16string& Message() const { return FMessage; }
    const char* what() const noexcept override { return FWhat.c_str(); }

  private:
    std::u16string FMessage;
    std::string FWhat;
};

// The user-facing text of any failure: an Exception's message, or the text of
// another standard exception read as UTF-8.
std::u16string ExceptionMessage(const std::exception& failure);

// The failure box's text: a full stop is appended when the message's last
// character sorts after "." (so "!" or ")" end a sentence as they are, while
// a letter or a Japanese character gets the stop).
std::u16string FailureBoxText(const std::u16string& message);

}  // namespace tovel
