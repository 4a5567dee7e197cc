#pragma once
// Locale-aware text work through ICU: the order of names, matching and dates.
#include <optional>
#include <string>

#include "core/Saat.hpp"

namespace Icu {

// a before b as file browsers sort names: case-insensitive, numbers by value.
bool once(const std::string& a, const std::string& b);
// The key whose byte order is the order of once(): sorting many names by
// their keys compares each name's text only once.
std::string siralamaAnahtari(const std::string& ad);
// Whether `parca` occurs in `metin`, ignoring case.
bool iceriyor(const std::string& metin, const std::string& parca);
// The text with case folded and diacritical marks dropped ("Résumé" is
// "resume"): a name contains a search text without regard to either when its
// folded form contains the folded search text.
std::string katla(const std::string& metin);
// Long date with short time in the user's locale, in the interface language.
std::string uzunTarih(Saat::Zaman zaman);

}  // namespace Icu
