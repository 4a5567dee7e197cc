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
// ICU's date styles; the time beside them is always the short one.
enum class TarihBicimi { kisa, orta, uzun };
// The moment as the user's locale writes it, in the zone of this moment (not
// the one ICU saw first). `metinIcin`: the date sits in a text of the
// interface language and follows that language. Nothing when ICU has no
// formatter for the locale.
std::optional<std::string> tarih(Saat::Zaman zaman, TarihBicimi bicim, bool metinIcin = false);
// Long date with short time, in the interface language.
inline std::string uzunTarih(Saat::Zaman zaman) { return tarih(zaman, TarihBicimi::uzun, true).value_or(""); }

}  // namespace Icu
