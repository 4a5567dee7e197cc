// Commands about the program itself.
#include "app/Isleyiciler.hpp"
#include "core/UygulamaBilgisi.hpp"

namespace Isleyiciler {

// "0.1.0 (1) – early version"
int surum(Komutlar::Istek&) {
    Komutlar::yaz(UygulamaBilgisi::tam());
    return 0;
}

}  // namespace Isleyiciler
