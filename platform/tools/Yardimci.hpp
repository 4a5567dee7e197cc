#pragma once
// The stand-ins for the macOS tools the engine drives, in one program that
// acts by the name it was started under.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/Komut.hpp"

namespace Yardimci {

using Argumanlar = std::vector<std::string>;

int hdiutil(const Argumanlar& a);
int diskutil(const Argumanlar& a);
int security(const Argumanlar& a);
// ditto SRC DST: a file, or a folder's whole tree merged into DST, with
// modes, times, extended attributes and links.
int ditto(const Argumanlar& a);
// Only the notification script the program sends: shown on the desktop, or
// written to the log where there is none.
int osascript(const Argumanlar& a);
// An application bundle is started detached; other paths go to the desktop.
int open(const Argumanlar& a);
// print, bootout, bootstrap and kickstart of jobs in the user's own domain;
// "__izle FOLDER" is the watcher that starts jobs when a volume is mounted.
int launchctl(const Argumanlar& a);
// Where registered jobs are kept: under BRIMVALE_DURUM when set, else the
// user's state folder ($XDG_STATE_HOME or ~/.local/state) under "brimvale".
std::string isKlasoru();
// Arguments as the Exec line of a desktop entry, each quoted and escaped.
std::string masaustuKomutu(const Argumanlar& args);
// A volume label as one folder name (mounting under /media): no "/" or
// control characters, never "." or "..", not too long; `yedek` when nothing
// usable is left.
std::string klasorAdi(const std::string& ad, const std::string& yedek);
// One line of the keychain tool's interactive mode split into its words;
// nothing when a quote is left open.
std::optional<Argumanlar> komutSatiri(const std::string& satir);

// A message on standard error; returns `kod`.
int hata(const std::string& mesaj, int kod = 1);
void plistYaz(const nlohmann::json& deger);
// The whole of standard input.
std::string girdi();
// Runs a program whose children may outlive it (a FUSE daemon): its output
// goes through a file so that no pipe of ours is held open.
KomutSonucu arkaPlanli(const std::string& program, const Argumanlar& args, const std::optional<std::string>& girdi);
// A session bus is there, so the desktop's services can be asked.
bool oturumVar();

// Image metadata kept beside the cipher folder: ".<name>.plist".
std::string yanDosya(const std::string& imaj);
// The volume name given at creation, else the image's base name.
std::string imajBirimAdi(const std::string& imaj);

}  // namespace Yardimci
