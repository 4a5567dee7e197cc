#pragma once
// The program's one JSON text form: pretty printed with two spaces and
// "key" : value, keys sorted, whole doubles without a fraction.
#include <nlohmann/json.hpp>
#include <string>

namespace Json {

// Throws std::domain_error for a value JSON cannot hold (NaN, infinity).
// With egikCizgiKacir every "/" in a string is written as "\/".
std::string metin(const nlohmann::json& deger, bool egikCizgiKacir);

}  // namespace Json
