#pragma once
// The recovery kit: inside the image the recipe, priority list and program
// list; at the disk's root the installer image, its checksum and the
// plain-text instructions a person follows on a new computer. Defined in
// KurtulusTarif.cpp (inside the image), KurtulusKok.cpp (the disk's root)
// and OkuMetni.cpp (the instructions text).
#include <optional>
#include <set>
#include <string>

#include "core/Ayarlar.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "recovery/Tarif.hpp"
#include "temel/HataMetni.hpp"

namespace Kurtulus {

// Writes meta/tarif.json, oncelik.txt, programlar.json, programlar.txt and
// Brewfile into the attached image; each write on its own, problems logged.
// `imajBirimAdi` is the mounted image's volume name, when known. Whether the
// Brewfile has content (an empty one is not kept): the instructions, written
// once the image is closed, name it only then.
bool tarifYaz(const Ayarlar& ayarlar, const std::string& sonKopya,
              const std::optional<std::string>& imajBirimAdi = std::nullopt);
// The priority list file with its "@file" includes expanded; nothing when it
// cannot be read or is already being expanded (an include cycle). `acilan`
// holds the files being expanded, as canonical paths.
std::optional<std::string> oncelikAc(const std::string& yol, const std::set<std::string>& acilan = {});
// The user's own recovery steps, or nothing; never a private key.
std::optional<std::string> notIcerik(const Ayarlar& ayarlar);

inline const std::string dmgAdi = "Ondrak-Brimvale.dmg";
std::string dmgKaydi();  // the state file naming the last image written
std::string surumYapi(); // "<version>(<build>)"
bool turkce();
std::string okuAdi();
std::string isaret();    // first line of every instructions file
// Whether an instructions file's first line is ours.
bool bizimMi(const std::string& ilkSatir);

// Writes the disk-root kit; nothing on success, else a one-line message.
// `brewfile`: the image holds meta/Brewfile (tarifYaz's answer). `paket` is
// the application bundle the installer image holds.
[[nodiscard]] HataMetni kokuYaz(const Ayarlar& ayarlar, const std::string& birim, const std::string& sonKopya,
                                   const std::optional<std::string>& imajBirimAdi, bool brewfile,
                                   const std::optional<std::string>& paket = UygulamaBilgisi::paketYolu());
// The instructions text; a function of its arguments and the language only.
std::string okuMetni(const Ayarlar& ayarlar, const std::string& birim, const std::optional<std::string>& sonKopya,
                     const std::optional<std::string>& imajBirimAdi, bool brewfile);
[[nodiscard]] HataMetni dmgYaz(const std::string& birim,
                                  const std::optional<std::string>& paket = UygulamaBilgisi::paketYolu());

}  // namespace Kurtulus
