#pragma once
// Setting Brimvale up: the disks a user may choose, the image password in
// the keychain, the encrypted image, and the background agent. Implemented
// in Kurulum.cpp (disks, password, image) and Yoklama.cpp (agent probe).
#include <string>
#include <vector>

#include "core/Ayarlar.hpp"
#include "disk/Disk.hpp"
#include "temel/HataMetni.hpp"

namespace Kurulum {

// Mounted external volumes a backup could go to, by name.
std::vector<Birim> disBirimler();
// Why a password cannot be stored: a line break or NUL would end the
// keychain tool's command line early. Nothing when it can.
[[nodiscard]] HataMetni parolaSorunu(const std::string& parola);
// A value for the keychain tool's interactive mode: \ -> \\, " -> \", in quotes.
std::string tirnakla(const std::string& s);
bool parolaKaydet(const std::string& parola, const Ayarlar& ayarlar);
// Creates the image on the volume; an image already there is left alone.
[[nodiscard]] HataMetni imajOlustur(const Birim& birim, const Ayarlar& ayarlar, const std::string& parola);
// Does the agent start when asked? It removes the probe marker when it runs.
bool ajanYokla();

}  // namespace Kurulum
