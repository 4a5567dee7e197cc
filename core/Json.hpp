#pragma once
// The program's one JSON text form: pretty printed with two spaces and
// "key" : value, keys sorted, whole doubles without a fraction.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace Json {

// Throws std::domain_error for a value JSON cannot hold (NaN, infinity).
// With egikCizgiKacir every "/" in a string is written as "\/".
std::string metin(const nlohmann::json& deger, bool egikCizgiKacir);

// Optional record fields: left out of the JSON when absent, never null; a
// missing key or null reads as absent.
template <typename T>
void istegeBagliYaz(nlohmann::json& j, const char* anahtar, const std::optional<T>& deger) {
    if (deger) j[anahtar] = *deger;
}

template <typename T>
void istegeBagliOku(const nlohmann::json& j, const char* anahtar, std::optional<T>& deger) {
    if (auto it = j.find(anahtar); it != j.end() && !it->is_null()) deger = it->get<T>();
}

}  // namespace Json
