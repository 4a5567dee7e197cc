// Commands about the program itself.
#include "app/Satirlar.hpp"
#include "core/UygulamaBilgisi.hpp"

namespace Satirlar {

int surum(Komutlar::Istek&) {
    Komutlar::yaz(UygulamaBilgisi::tam());
    return 0;
}

}  // namespace Satirlar
