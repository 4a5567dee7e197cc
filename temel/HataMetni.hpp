#pragma once
// The result of an operation that either succeeds or says why it did not:
// nothing on success, else the text to show. Functions returning it are
// declared [[nodiscard]], so a dropped failure is a compile warning.
#include <optional>
#include <string>

using HataMetni = std::optional<std::string>;
