#pragma once
// The file helpers every part of the program uses.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// The whole file as UTF-8 text; nothing when missing, unreadable or not UTF-8.
std::optional<std::string> oku(const std::string& yol);
// The whole file's bytes; nothing when missing or unreadable.
std::optional<std::string> baytlariOku(const std::string& yol);

// Writes the bytes whole: a temporary file in the same folder (`gecici` when
// given), flushed, then renamed over the target. The parent folder is
// created. Throws on failure.
void atomikYaz(const std::string& yol, const std::string& icerik, const std::optional<std::string>& gecici = std::nullopt);

// Pretty printed, sorted keys, "/" escaped; atomic; parent created. Throws.
void jsonYaz(const nlohmann::json& deger, const std::string& yol);

template <typename T>
std::optional<T> jsonOku(const std::string& yol) {
    auto baytlar = baytlariOku(yol);
    if (!baytlar) return std::nullopt;
    try {
        return nlohmann::json::parse(*baytlar).get<T>();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Confines a relative path under a root; nothing when it would escape.
std::optional<std::string> guvenliYol(const std::string& kok, const std::string& rel);

// A byte count in the file-size style of decimal units ("Zero KB", "1.2 GB").
std::string bayt(double bayt);

// Moves an item to the Trash, or into BRIMVALE_COP when that is set. Throws.
void copeTasi(const std::string& yol);

bool isSymlink(const std::string& yol);
