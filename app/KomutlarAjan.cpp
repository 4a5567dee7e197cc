// Commands about the background agent.
#include "agent/Izinler.hpp"
#include "agent/Kurulum.hpp"
#include "app/Isleyiciler.hpp"
#include "backup/Durum.hpp"
#include "core/Yol.hpp"

namespace Isleyiciler {

namespace {
const char* evetHayir(bool b) { return b ? "true" : "false"; }
}  // namespace

int ajanKur(Komutlar::Istek&) {
    if (!Kurulum::ajanaDokunulur()) {
        Komutlar::yaz("denemede gerçek ajana dokunulmaz");
        return 1;
    }
    if (auto hata = Kurulum::ajaniKur([] { return Yedekleme::calisanPid().has_value(); })) {
        Komutlar::yaz(*hata);
        return 1;
    }
    Komutlar::yaz(Kurulum::ajanYokla() ? "kurulu, başlatılabiliyor" : "kurulu ama BAŞLATILAMIYOR");
    return 0;
}

int ajanDurumu(Komutlar::Istek&) {
    Komutlar::yaz("etiket: " + Yol::ajanEtiketi() + "  kurulu: " + evetHayir(Kurulum::ajanKurulu()) +
                  "  izin: " + std::to_string(Kurulum::ajanDurumu()) + "  eski SMAppService kaydı: " +
                  evetHayir(Kurulum::eskiKayitVar()) + "  başlatılamıyor: " + evetHayir(Kurulum::ajanBaslatilamiyor()));
    return 0;
}

int izinler(Komutlar::Istek&) {
    Komutlar::yaz(std::string("tam disk erişimi: ") + evetHayir(Izinler::tamDiskErisimi()) +
                  "  arka plan: " + evetHayir(Izinler::arkaPlan()));
    return 0;
}

}  // namespace Isleyiciler
