#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace korvex {

class MessageSeam;

// Runs `action` and gives the text of the error that escaped it: a
// KorvexError's own text, the what() of any other std::exception; nothing
// when it went through. Anything else is no error of Korvex's and goes on.
std::optional<QString> FailureText(const std::function<void()> &action);

// Runs `action`; an error escaping it is shown in an error box with its text.
// False when it failed.
bool ShowingFailure(MessageSeam &messages, const std::function<void()> &action);

} // namespace korvex
