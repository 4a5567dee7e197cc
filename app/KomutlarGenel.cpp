// Commands about the program itself.
#include "app/Isleyiciler.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"

namespace Isleyiciler {

// "0.1.0 (1) – early version"
int surum(Komutlar::Istek&) {
    std::string s = UygulamaBilgisi::surum() + " (" + UygulamaBilgisi::yapi() + ")";
    if (UygulamaBilgisi::surum().starts_with("0.")) s += " \u2013 " + Yerel::metin("early version");
    Komutlar::yaz(s);
    return 0;
}

}  // namespace Isleyiciler
