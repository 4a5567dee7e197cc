// Commands of the recovery kit.
#include "app/Satirlar.hpp"
#include "recovery/Programlar.hpp"

namespace Satirlar {

int programlar(Komutlar::Istek& istek) {
    Komutlar::json(Programlar::secili(istek.ayarlar, std::nullopt));
    return 0;
}

}  // namespace Satirlar
