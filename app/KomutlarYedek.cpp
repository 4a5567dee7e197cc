// Commands of the backup run.
#include "app/Isleyiciler.hpp"
#include "backup/Siniflama.hpp"
#include "core/Dosya.hpp"
#include "temel/Metin.hpp"

namespace Isleyiciler {

int hataSinifla(Komutlar::Istek& istek) {
    auto adlar = Yedekleme::kaybolanlar(oku(istek.arg(1)).value_or(""));
    if (!adlar) {
        Komutlar::yaz("gerçek hata");
        return 1;
    }
    Komutlar::yaz("kaybolan " + std::to_string(adlar->size()) + ": " +
                  Metin::utf8Onar(Metin::birlestir(*adlar, " | ")));
    return 0;
}

}  // namespace Isleyiciler
