#pragma once
// Every operation the program asks of the per-user service manager and of
// the metadata-preserving file copier, in one place.
#include <optional>
#include <string>

#include "core/Komut.hpp"
#include "temel/HataMetni.hpp"

namespace Servis {

std::string alan();   // "gui/<uid>"
std::string hedef();  // "gui/<uid>/<agent label>"

// "print": status 0 when the job is known; the output tells more.
KomutSonucu sorgula();
// "bootout": the result is not looked at.
void bosalt();
// "bootstrap": nothing on success, else the trimmed output.
[[nodiscard]] HataMetni yukle(const std::string& plistYolu);
// "kickstart": its exit status, 0 when the start request was accepted.
int baslat();

}  // namespace Servis

namespace Kopyalayici {

// Copies a file to `hedef`, or a folder's whole tree into `hedef` (merging),
// keeping modes, times, extended attributes and links. Nothing on success,
// else the copier's trimmed message.
[[nodiscard]] HataMetni kopyala(const std::string& kaynak, const std::string& hedef);

}  // namespace Kopyalayici
