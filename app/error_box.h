// The application's error box: how an error that reaches the top of an event handler, or the
// start-up failure, is shown to the user. Tests replace the box to read the messages.
#pragma once

#include <functional>
#include <string>

namespace velkaro {

constexpr const char* kApplicationTitle = "Velkaro -- The World Business Internet Time Map";

enum class TBoxKind { bkError, bkWarning };
using TBoxHandler = std::function<void(TBoxKind kind, const std::string& message)>;

void ShowErrorBox(const std::string& message);
void ShowWarningBox(const std::string& message);
// Replaces the box; an empty handler brings back the real one. Returns the previous handler.
TBoxHandler SetBoxHandler(TBoxHandler handler);

}  // namespace velkaro
