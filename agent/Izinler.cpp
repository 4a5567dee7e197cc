#include "agent/Izinler.hpp"

#include <cstdlib>

#include "agent/Kurulum.hpp"
#include "platform/Oturum.hpp"

namespace Izinler {

bool denemede() { return std::getenv("BRIMVALE_DURUM") && !std::getenv("BRIMVALE_IZIN_DENE"); }

// There is no protected database to probe here: every folder the user can
// read is readable to the program, and an unreadable file still shows up as a
// permission result of the copy pass.
bool tamDiskErisimi() { return true; }

bool arkaPlan() { return denemede() || (Kurulum::ajanKurulu() && Kurulum::ajanDurumu() != 2); }

void bildirimDurumu(const std::function<void(bool)>& sonuc) {
    sonuc(denemede() || Platform::bildirimServisiVar(3.0));
}

void bildirimIste(const std::function<void(bool)>& sonuc) { bildirimDurumu(sonuc); }

}  // namespace Izinler
