// Commands of the recovery kit.
#include "app/ImajAc.hpp"
#include "app/Isleyiciler.hpp"
#include "core/Plist.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "recovery/Kurtulus.hpp"
#include "recovery/Programlar.hpp"
#include "store/Kopyalar.hpp"

namespace Isleyiciler {

int programlar(Komutlar::Istek& istek) {
    Komutlar::json(Programlar::secili(istek.ayarlar, std::nullopt));
    return 0;
}

int kurtulusYaz(Komutlar::Istek& istek) {
    Komutlar::calisanYedekYok();
    std::string birim = Komutlar::imajiAc(istek, false);
    Disk::ImajAyirici ayirici;
    auto son = Kopyalar::son();
    if (!son) {
        Komutlar::yaz("no backup in the image");
        return 1;
    }
    auto birimAdi = Plist::metin(Disk::bilgi(Yol::mnt()), "VolumeName");
    bool brewfile = Kurtulus::tarifYaz(istek.ayarlar, *son, birimAdi);
    if (auto hata = ayirici.ayir()) {
        Komutlar::yaz(*hata);
        return 1;
    }
    if (auto hata = Kurtulus::kokuYaz(istek.ayarlar, birim, *son, birimAdi, brewfile)) {
        Komutlar::yaz(*hata);
        return 1;
    }
    Komutlar::yaz("yazıldı: " + birim + "/" + Kurtulus::dmgAdi + ", .sha256, " + Kurtulus::okuAdi() +
                  "; imajda meta/tarif.json");
    return 0;
}

}  // namespace Isleyiciler
