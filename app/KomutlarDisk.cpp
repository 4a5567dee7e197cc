// Commands about the backup disk and the encrypted image.
#include <algorithm>

#include "app/ImajAc.hpp"
#include "app/Isleyiciler.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"

namespace Isleyiciler {

int baglanti(Komutlar::Istek& istek) {
    auto r = Disk::baglanti(istek.ayarlar);
    std::string hiz = r.hiz ? std::to_string(static_cast<long long>(*r.hiz / 1e6)) + " Mb/s" : "-";
    Komutlar::yaz(r.durum.yazi() + "  hız: " + hiz + "  seri: " + r.seri.value_or("-"));
    return 0;
}

int ac(Komutlar::Istek& istek) {
    bool yaz = std::find(istek.args.begin() + 1, istek.args.end(), "--yaz") != istek.args.end();
    Komutlar::imajiAc(istek, !yaz);
    Komutlar::yaz(Yol::mnt());
    return 0;
}

int kapat(Komutlar::Istek&) {
    if (auto hata = Disk::imajiAyir()) {
        Komutlar::yaz(*hata);
        return 1;
    }
    return 0;
}

int sikistir(Komutlar::Istek& istek) {
    Komutlar::calisanYedekYok();
    std::string imaj = Komutlar::birimYolu(istek) + "/" + istek.ayarlar.imajAdi;
    if (Disk::imajDurumu() != Disk::Baglanti::yok)
        if (auto hata = Disk::imajiAyir()) {
            Komutlar::yaz(*hata);
            return 1;
        }
    auto s = Disk::sikistirOlc(imaj, istek.ayarlar);
    Komutlar::yaz(s.tamam ? "sıkıştırıldı; diskte açılan yer: " + bayt(s.kazanc) : "sıkıştırılamadı");
    return s.tamam ? 0 : 1;
}

}  // namespace Isleyiciler
