#pragma once
// The file helpers of the engine: JSON files, byte counts, the Trash. The
// plain file readers and writers below them are in temel/Dosya.hpp.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "temel/Dosya.hpp"

// Pretty printed, sorted keys, "/" escaped; atomic; parent created. Throws.
void jsonYaz(const nlohmann::json& deger, const std::string& yol);
// The text jsonYaz writes.
std::string jsonMetni(const nlohmann::json& deger);
// Writes whole as atomikYaz does; a failure is logged ("ERROR: ...") and the
// caller goes on: for the files a run can do without.
void yazDene(const std::string& yol, const std::string& icerik);
template <typename T>
std::optional<T> jsonOku(const std::string& yol, size_t sinir = kSinirsiz) {
    auto baytlar = baytlariOku(yol, sinir);
    if (!baytlar) return std::nullopt;
    try {
        return nlohmann::json::parse(*baytlar).get<T>();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// A byte count in the file-size style of decimal units ("Zero KB", "1.2 GB").
std::string bayt(double bayt);
// Moves an item to the Trash, or into BRIMVALE_COP when that is set. Throws.
void copeTasi(const std::string& yol);
