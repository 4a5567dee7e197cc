// Commands about the dated copies and large files.
#include <algorithm>
#include <iostream>

#include "app/ImajAc.hpp"
#include "app/Isleyiciler.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "temel/Metin.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "store/BuyukDosyalar.hpp"
#include "store/Kopyalar.hpp"

namespace Isleyiciler {
int kopyalar(Komutlar::Istek&) {
    Komutlar::json(Kopyalar::liste(Yol::yedekler()));
    return 0;
}

int bilgiler(Komutlar::Istek&) {
    Komutlar::json(Kopyalar::bilgiler());
    return 0;
}

int gfs(Komutlar::Istek& istek) {
    std::vector<int64_t> sayilar;
    for (const auto& parca : Metin::bol(istek.arg(1), ',', true))
        if (auto n = Metin::isaretliSayi(parca)) sayilar.push_back(*n);
    if (sayilar.size() != 5) return 64;
    Saklama saklama{sayilar[0], sayilar[1], sayilar[2], sayilar[3], sayilar[4]};
    std::vector<std::string> adlar;
    for (std::string satir; std::getline(std::cin, satir);)
        if (!satir.empty()) adlar.push_back(satir);
    auto tut = Kopyalar::tutulacaklar(adlar, saklama);
    std::sort(adlar.begin(), adlar.end());
    for (const auto& ad : adlar)
        if (tut.count(ad)) Komutlar::yaz(ad);
    return 0;
}

int sha256(Komutlar::Istek& istek) {
    try {
        Komutlar::yaz(Sha256::digest(istek.arg(1)));
    } catch (const std::exception& e) {
        Komutlar::hata(e);
    }
    return 0;
}

int kopyaSil(Komutlar::Istek& istek) {
    Komutlar::calisanYedekYok();
    Komutlar::imajiAc(istek, false);
    Disk::ImajAyirici ayirici;
    try {
        return kopyaSilDepoda(istek.arg(1), [] { return Disk::bosYer(Yol::mnt()); });
    } catch (const std::exception& e) {
        Komutlar::hata(e);
    }
}

int kopyaSilDepoda(const std::string& ad, const std::function<double()>& bosYer) {
    Kopyalar::artiklariSil();
    auto adlar = Kopyalar::liste(Yol::yedekler());
    double once = bosYer();
    auto yer = std::find(adlar.begin(), adlar.end(), ad);
    if (yer == adlar.end() || yer + 1 == adlar.end()) {
        Komutlar::yaz("refused: " + ad + " is not a dated backup, or it is the newest one");
        return 1;
    }
    Kopyalar::sil(ad, Yol::yedekler());
    Kopyalar::gecmisEsitle();
    std::string acilan = bayt(bosYer() - once);
    Gunluk::yaz(Yerel::bicim("Backup deleted by request: %@ (%@ freed inside the image)", {ad, acilan}));
    Komutlar::yaz("silindi: " + ad + "; imajın içinde açılan yer: " + acilan);
    return 0;
}

}  // namespace Isleyiciler
