#include "update/Dongu.hpp"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "core/Gunluk.hpp"
#include "core/Komut.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "update/Imza.hpp"
#include "update/Indirme.hpp"
#include "update/Paket.hpp"

namespace Guncelleme {
namespace {

// A feed is a few hundred bytes; anything near this is not one.
constexpr unsigned long long kEnBuyukBesleme = 1 << 20;

using Hata = std::runtime_error;

// The archive, checked against the feed and the maker's key before a byte of
// it is unpacked.
std::string dogrulanmisArsiv(const Surum& y, const Ayar& a, Surucu& s, const std::atomic<bool>& iptal) {
    std::string baytlar = getir(y.adres, y.boyut, iptal, [&] { s.duyuldu(); });
    if (baytlar.size() != y.boyut) throw Hata("the update archive is not the size the feed gives");
    if (sha256(baytlar) != y.sha256) throw Hata("the update archive is not the one the feed names");
    if (!imzaGecerli(baytlar, y.imza, a.anahtar)) throw Hata("the update archive is not signed by the maker");
    std::string yol = Yol::guncelleme() + "/guncelleme.tar";
    atomikYaz(yol, baytlar, std::nullopt, 0600);
    return yol;
}

// Never while a backup runs: the backup's program would change under it.
void yedekBitsin(const Surum& y, const Ayar& a, Surucu& s, const std::atomic<bool>& iptal) {
    if (!a.yedekCalisiyor || !a.yedekCalisiyor()) return;
    Gunluk::yaz("Güncelleme " + y.surum + ": yedek bitince kurulacak");
    s.ertelendi();
    while (a.yedekCalisiyor()) {
        if (iptal) throw Hata("the update was stopped");
        Saat::bekle(30);
    }
}

// The new bundle must answer before the old one goes; otherwise the old one
// comes back.
void yeniBasliyor(const Surum& y, const Ayar& a) {
    KomutSonucu k = komut(a.paket + "/Contents/MacOS/Brimvale", {"--surum"});
    if (k.kod == 0 && Metin::iceriyor(k.cikti, y.surum + " (" + y.yapi + ")")) return;
    geriAl(a.paket);
    throw Hata("version " + y.surum + " did not start; the installed version stays");
}

}  // namespace

Sonuc dongu(const Ayar& a, Surucu& s, const std::atomic<bool>& iptal) {
    std::string arsiv;
    try {
        s.denetleniyor();
        if (a.besleme.empty()) throw Hata("no update feed is set");
        if (a.anahtar.empty()) throw Hata("this build has no key to check updates with");
        Surum y = coz(getir(a.besleme, kEnBuyukBesleme, iptal, [&] { s.duyuldu(); }));
        if (yapiKarsilastir(y.yapi, a.yapi) <= 0) {
            s.yok();
            return Sonuc::yok;
        }
        s.bulundu(y);
        s.indiriliyor();
        arsiv = dogrulanmisArsiv(y, a, s, iptal);
        s.aciliyor();
        std::string yeni = ac(arsiv, a.paket, y.yapi);
        std::remove(arsiv.c_str());
        s.kuruluyor();
        yedekBitsin(y, a, s, iptal);
        degistir(yeni, a.paket);
        yeniBasliyor(y, a);
        artiklariKaldir(a.paket);
        Gunluk::yaz("Güncelleme " + y.surum + " kuruldu");
        if (a.pencereyiAc) komut("/usr/bin/open", {a.paket});
        s.kuruldu();
        return Sonuc::kuruldu;
    } catch (const std::exception& e) {
        if (!arsiv.empty()) std::remove(arsiv.c_str());
        if (!a.paket.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(hazirlikYolu(a.paket), ec);
        }
        Gunluk::yaz(std::string("Güncelleme denetlenemedi: ") + e.what());
        s.hata(e.what());
        return Sonuc::hata;
    }
}

}  // namespace Guncelleme
