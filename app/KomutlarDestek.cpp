// The support report and the uninstall.
#include "agent/Izinler.hpp"
#include "agent/Kurulum.hpp"
#include "app/Isleyiciler.hpp"
#include "backup/Durum.hpp"

namespace Isleyiciler {

DestekRaporu::Izin destekIzinleri() { return {Izinler::tamDiskErisimi(), Izinler::arkaPlan()}; }

Kaldirma::Isler kaldirmaIsleri() {
    return {[] { return Yedekleme::calisanPid().has_value(); }, [] { Kurulum::ajaniKaldir(); }};
}

int destekRaporu(Komutlar::Istek&) {
    Komutlar::yaz(DestekRaporu::metin(destekIzinleri()));
    return 0;
}

// The terminal keeps the program itself: it runs from it.
int kaldir(Komutlar::Istek&) {
    if (auto hata = Kaldirma::kaldir(false, kaldirmaIsleri())) {
        Komutlar::yaz(*hata);
        return 1;
    }
    return 0;
}

}  // namespace Isleyiciler
