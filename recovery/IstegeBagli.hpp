#pragma once
// Optional record fields: left out of the JSON when absent, never null.
#include <nlohmann/json.hpp>
#include <optional>

template <typename T>
void istegeBagliYaz(nlohmann::json& j, const char* anahtar, const std::optional<T>& deger) {
    if (deger) j[anahtar] = *deger;
}

template <typename T>
void istegeBagliOku(const nlohmann::json& j, const char* anahtar, std::optional<T>& deger) {
    if (auto it = j.find(anahtar); it != j.end() && !it->is_null()) deger = it->get<T>();
}
