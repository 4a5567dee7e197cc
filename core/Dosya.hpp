#pragma once
// The file helpers every part of the program uses.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// Files are read only when they are regular files (a link to one is fine):
// a FIFO would block the reader and a device would never end. A file larger
// than `sinir` bytes reads as nothing.
inline constexpr size_t kSinirsiz = SIZE_MAX;
// The bound for the state files of one short line (a pid, a stage, a time).
inline constexpr size_t kSatirDosyasi = 4096;

// The whole file as UTF-8 text; nothing when missing, unreadable, not a
// regular file, too large or not UTF-8.
std::optional<std::string> oku(const std::string& yol, size_t sinir = kSinirsiz);
// The whole file's bytes; nothing when missing, unreadable, not a regular
// file or too large.
std::optional<std::string> baytlariOku(const std::string& yol, size_t sinir = kSinirsiz);

// Writes the bytes whole: a temporary file in the same folder (`gecici` when
// given), flushed, then renamed over the target. The parent folder is
// created. Throws on failure.
void atomikYaz(const std::string& yol, const std::string& icerik, const std::optional<std::string>& gecici = std::nullopt);

// Pretty printed, sorted keys, "/" escaped; atomic; parent created. Throws.
void jsonYaz(const nlohmann::json& deger, const std::string& yol);

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

// Confines a relative path under a root; nothing when it would escape.
std::optional<std::string> guvenliYol(const std::string& kok, const std::string& rel);

// A byte count in the file-size style of decimal units ("Zero KB", "1.2 GB").
std::string bayt(double bayt);

// Moves an item to the Trash, or into BRIMVALE_COP when that is set. Throws.
void copeTasi(const std::string& yol);

bool isSymlink(const std::string& yol);
