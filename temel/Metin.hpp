#pragma once
// Small text helpers shared by the whole program.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Metin {

bool utf8Gecerli(std::string_view s);
// Replaces every invalid UTF-8 sequence with U+FFFD, as a lenient decoder does.
std::string utf8Onar(std::string_view s);
// Removes white space and line breaks at both ends.
std::string kirp(std::string_view s);
std::vector<std::string> bol(std::string_view s, char ayrac, bool boslariAt);
// The entries of a list whose every entry ends in NUL, as the kernel writes
// a process's command line and environment; an empty entry stays.
std::vector<std::string> nulListesi(std::string_view s);
std::string birlestir(const std::vector<std::string>& parcalar, std::string_view ayrac);
bool iceriyor(std::string_view s, std::string_view parca);

// The one reader of numbers in other programs' output: decimal digits only
// (no sign, no spaces, no separators). Nothing for anything else and for a
// number too large for 64 bits.
std::optional<int64_t> sayi(std::string_view s);
// A decimal integer with one optional sign ("+" or "-") first; nothing for
// anything else and for a number outside 64 bits.
std::optional<int64_t> isaretliSayi(std::string_view s);
// A finite decimal number ("1.5", "-2", "1e6") with one optional sign first;
// nothing for anything else: spaces, trailing text, "inf", "nan", hex.
std::optional<double> ondalik(std::string_view s);

}  // namespace Metin
