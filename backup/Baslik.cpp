#include "backup/Baslik.hpp"

#include <algorithm>

#include "core/Yerel.hpp"

namespace Yedekleme {

std::string baslik(const Anlik& a) {
    static const std::pair<const char*, const char*> asamalar[] = {
        {"basliyor", "Starting…"},
        {"prova", "Checking what changed…"},
        {"soru", "Waiting for your answer"},
        {"esitleme", nullptr},
        {"budama", "Thinning out old backups…"},
        {"sikistirma", "Compacting the backup…"},
        {"kurtulus", "Writing the recovery files to the disk…"},
        {"cikariliyor", "Ejecting the disk…"},
    };
    static const std::pair<const char*, const char*> sonuclar[] = {
        {"bitti", "Last backup completed"},
        {"hata", "Last backup failed"},
        {"durduruldu", "Stopped: the next backup continues where it stopped"},
    };
    for (const auto& [asama, metin] : asamalar)
        if (a.asama == asama) return Yerel::metin(metin ? metin : a.duraklatildi ? "Paused" : "Backing up");
    for (const auto& [sonuc, metin] : sonuclar)
        if (a.sonuc == sonuc) return Yerel::metin(metin);
    return Yerel::metin(a.diskBagli ? "Ready" : "Connect the backup disk to back up");
}

double oran(const std::optional<Anlik>& a) {
    if (!a || a->toplamBayt <= 0) return 0;
    return std::min(1.0, a->bitenBayt / a->toplamBayt);
}

}  // namespace Yedekleme
