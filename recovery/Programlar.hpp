#pragma once
// The programs the user has, so a new computer can be set up with the same
// software: applications with their origin, and Homebrew's casks and tools.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Ayarlar.hpp"
#include "recovery/Program.hpp"

namespace Programlar {

// BRIMVALE_UYGULAMALAR when set, else "/Applications".
std::string varsayilanKok();
// Applications in `kok` (and one level of subfolders), then Homebrew.
std::vector<Program> bul(const std::string& kok = varsayilanKok());
// Installed application file name -> cask token, and one entry per cask and
// per formula installed on request. Empty when Homebrew is missing or fails.
std::pair<std::map<std::string, std::string>, std::vector<Program>> homebrew();
// The Homebrew executable, if one is installed.
std::optional<std::string> brewYolu();
// The entry for a bundle path the user added by hand.
Program elle(const std::string& yol);
// The inventory after the user's removals and additions, in name order.
// Without `bulunan` the applications folder is scanned now.
std::vector<Program> secili(const Ayarlar& ayarlar, const std::optional<std::vector<Program>>& bulunan);

// One line per program: name, version, "  —  ", origin, Homebrew name.
std::string metin(const std::vector<Program>& programlar);
// brew "<formula>" lines, then cask "<token>" lines; empty when neither.
std::string brewfile(const std::vector<Program>& programlar);

}  // namespace Programlar
