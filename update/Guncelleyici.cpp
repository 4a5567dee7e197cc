#include "update/Guncelleyici.hpp"

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/Saat.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yol.hpp"
#include "core/Dosya.hpp"
#include "temel/Metin.hpp"

namespace {

constexpr long long kGun = 24 * 60 * 60;

std::string sonDenetim() { return Yol::guncelleme() + "/son-denetim"; }

}  // namespace

Guncelleyici& Guncelleyici::ortak() {
    static Guncelleyici g;
    return g;
}

bool Guncelleyici::etkin() {
    auto paket = UygulamaBilgisi::paketYolu();
    if (!paket || std::filesystem::path(*paket).extension() != ".app") return false;
    const char* durum = std::getenv("BRIMVALE_DURUM");
    return !durum || beslemeAdresi();
}

std::optional<std::string> Guncelleyici::beslemeAdresi() {
    if (const char* f = std::getenv("BRIMVALE_FEED"); f && *f) return f;
    return std::nullopt;
}

Guncelleme::Ayar Guncelleyici::ayar(std::function<bool()> yedekCalisiyor) {
    Guncelleme::Ayar a;
    a.besleme = beslemeAdresi().value_or(UygulamaBilgisi::plistMetni("SUFeedURL").value_or(""));
    a.anahtar = UygulamaBilgisi::plistMetni("SUPublicEDKey").value_or("");
    a.paket = UygulamaBilgisi::paketYolu().value_or("");
    a.yapi = UygulamaBilgisi::yapi();
    a.yedekCalisiyor = std::move(yedekCalisiyor);
    return a;
}

bool Guncelleyici::denetlenebilir() const { return etkin() && !calisiyor_; }

void Guncelleyici::calistir(Guncelleme::Surucu& surucu) {
    auto a = ayar(yedekCalisiyor_);
    a.pencereyiAc = true;
    (void)Guncelleme::dongu(a, surucu, iptal_);
    calisiyor_ = false;
}

void Guncelleyici::denetle(Guncelleme::Surucu& surucu) {
    if (!etkin() || calisiyor_.exchange(true)) return;
    std::thread([this, &surucu] { calistir(surucu); }).detach();
}

void Guncelleyici::baslat(std::function<bool()> yedekCalisiyor) {
    yedekCalisiyor_ = std::move(yedekCalisiyor);
    if (!etkin() || baslatildi_.exchange(true)) return;
    // Looks every hour whether a day has passed, so that a computer that
    // slept through the time checks soon after it wakes.
    std::thread([this] {
        static Guncelleme::Surucu sessiz;
        for (;;) {
            auto son = Metin::sayi(Metin::kirp(oku(sonDenetim(), kSatirDosyasi).value_or("")));
            if ((!son || Saat::unix() - *son >= kGun) && !calisiyor_.exchange(true)) {
                yazDene(sonDenetim(), std::to_string(Saat::unix()) + "\n");
                calistir(sessiz);
            }
            Saat::bekle(60 * 60);
        }
    }).detach();
}
