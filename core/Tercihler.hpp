#pragma once
// The user's preferences kept outside the state folder: one JSON object per
// domain (the bundle identifier) in the user's configuration folder. They
// outlive the state folder, which an uninstall moves to the Trash with them.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace Tercihler {

// The bundle identifier, else "com.ondrak.brimvale".
std::string alan();
// $XDG_CONFIG_HOME/<alan>.json (an absolute XDG_CONFIG_HOME only), else
// ~/.config/<alan>.json.
std::string yol();
// The value stored under `anahtar`; nothing when there is none or the file
// cannot be read.
std::optional<nlohmann::json> oku(const std::string& anahtar);
// Stores the value beside the others, written whole. Throws.
void yaz(const std::string& anahtar, const nlohmann::json& deger);
// Removes every preference of the domain; having none is no failure.
void alaniSil();

}  // namespace Tercihler
