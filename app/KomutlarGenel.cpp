// Commands about the program itself.
#include "app/Isleyiciler.hpp"
#include "backup/Durum.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "update/SessizSurucu.hpp"

namespace Isleyiciler {

// "0.1.0 (1) – early version"
int surum(Komutlar::Istek&) {
    Komutlar::yaz(UygulamaBilgisi::tam());
    return 0;
}

int guncellemeDene(Komutlar::Istek&) {
    SessizSurucu::calistir([] { return Yedekleme::calisanPid().has_value(); });
}

}  // namespace Isleyiciler
