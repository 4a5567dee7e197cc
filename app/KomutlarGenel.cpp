// Commands about the program itself.
#include "app/Isleyiciler.hpp"
#include "backup/Durum.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"
#include "update/SessizSurucu.hpp"

namespace Isleyiciler {

// "0.1.0 (1) – early version"
int surum(Komutlar::Istek&) {
    std::string s = UygulamaBilgisi::surum() + " (" + UygulamaBilgisi::yapi() + ")";
    if (UygulamaBilgisi::surum().starts_with("0.")) s += " \u2013 " + Yerel::metin("early version");
    Komutlar::yaz(s);
    return 0;
}

int guncellemeDene(Komutlar::Istek&) {
    SessizSurucu::calistir([] { return Yedekleme::calisanPid().has_value(); });
}

}  // namespace Isleyiciler
