#pragma once
// Setting Brimvale up: the disks a user may choose, the image password in
// the keychain, the encrypted image, and the background agent. Implemented
// in Kurulum.cpp (disks, password, image), Ajan.cpp (the agent's definition
// and its loading), Yoklama.cpp (agent probe) and Baslatma.cpp (starting it
// from the window application).
#include <atomic>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
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

// The agent's definition in the user's LaunchAgents folder.
std::string plistYolu();
// The bundle's template with this executable and "--ajan" as its program;
// nothing without a bundle, a template or the executable's path.
std::optional<nlohmann::json> istenenPlist();
// False in a test run (private state folder) unless BRIMVALE_AJAN_DENE is
// set and this is the real bundle.
bool ajanaDokunulur();
// The definition names this executable and the service manager knows the job.
bool ajanKurulu();
// The service manager's description of the job; nothing when it has none.
std::optional<std::string> launchdIsi();
bool ajanBaslatilamiyor();
bool eskiKayitVar();
void eskiKaydiKaldir();
// 0 not registered, 1 enabled, 2 requires approval, 3 not found.
int ajanDurumu();
// Installs or refreshes the agent, never while a backup runs (the caller
// says whether one does); a definition already current is left alone.
// Nothing on success or when nothing was to be done, else the message.
[[nodiscard]] HataMetni ajaniKur(const std::function<bool()>& yedekCalisiyor);
void ajaniKaldir();

// Set once the window application has finished starting.
extern std::atomic<bool> hazir;
// The window application's start: the agent installed or brought up to date
// where this process may touch it, then `hazir`.
void uygulamaBasladi(const std::function<bool()>& yedekCalisiyor);
// Leaves the marker `isaret` (back up now, ask again) for the agent and starts
// it; when the service manager cannot start it and no backup runs, installs it
// afresh and tries once more. Nothing when it started, else the message.
[[nodiscard]] HataMetni ajaniBaslat(const std::string& isaret, const std::function<bool()>& yedekCalisiyor);

}  // namespace Kurulum
