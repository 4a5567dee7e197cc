#pragma once
// Locale-aware text work for the recovery kit, through ICU.
#include <optional>
#include <string>

#include "core/Saat.hpp"

namespace Yerellik {

// a before b as file browsers sort names: case-insensitive, numbers by value.
bool once(const std::string& a, const std::string& b);
// Whether `parca` occurs in `metin`, ignoring case.
bool iceriyor(const std::string& metin, const std::string& parca);
// Long date with short time in the user's locale, in the interface language.
std::string uzunTarih(Saat::Zaman zaman);

}  // namespace Yerellik
