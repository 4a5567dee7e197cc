#pragma once
// Locale-aware text work through ICU: the order of names, matching and dates.
#include <optional>
#include <string>

#include "core/Saat.hpp"

namespace Icu {

// a before b as file browsers sort names: case-insensitive, numbers by value.
bool once(const std::string& a, const std::string& b);
// Whether `parca` occurs in `metin`, ignoring case.
bool iceriyor(const std::string& metin, const std::string& parca);
// Long date with short time in the user's locale, in the interface language.
std::string uzunTarih(Saat::Zaman zaman);

}  // namespace Icu
