#include "app/ImajAc.hpp"

#include "disk/Disk.hpp"
#include "disk/Durum.hpp"

namespace Komutlar {

std::string birimYolu(const Istek& istek) {
    auto yol = Disk::birim(istek.ayarlar.diskUUID);
    if (!yol) {
        yaz("backup disk not connected");
        throw Cikis{1};
    }
    return *yol;
}

std::string imajiAc(Istek& istek, bool salt) {
    std::string yol = birimYolu(istek);
    if (auto hata = Disk::imajiBagla(yol + "/" + istek.ayarlar.imajAdi, salt, istek.ayarlar)) {
        yaz(*hata);
        throw Cikis{1};
    }
    return yol;
}

void calisanYedekYok() {
    if (!Yedekleme::calisanPid()) return;
    yaz("a backup is running");
    throw Cikis{2};
}

}  // namespace Komutlar
