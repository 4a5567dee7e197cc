#pragma once
// The private world of one fuzzing process: its own state directory, home,
// tool folder and time zone, removed when the process ends normally.
#include <cstddef>
#include <cstdint>
#include <string>

namespace FuzzOrtami {

// Sets the world up once; later calls return at once.
void kur();
std::string kok();  // the private root folder

// Writes a file whole, creating its folder.
void dosyaYaz(const std::string& yol, const std::string& icerik);

// A tool in BRIMVALE_ARACLAR that prints the file `cikti` and exits 0, so
// the engine reads fuzz input as that tool's output.
void sahteArac(const std::string& ad, const std::string& cikti);

// The fuzz input as text.
inline std::string metin(const uint8_t* veri, size_t boy) { return std::string(reinterpret_cast<const char*>(veri), boy); }

}  // namespace FuzzOrtami
