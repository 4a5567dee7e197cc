// Commands of the restore side: versions, restores and their records. What
// they throw ends the command through the dispatcher's error exit.
#include "app/Isleyiciler.hpp"
#include "restore/GeriYukle.hpp"

namespace Isleyiciler {

int surumler(Komutlar::Istek& istek) {
    Komutlar::json(GeriYukle::surumler(istek.arg(1)));
    return 0;
}

int yerineKoy(Komutlar::Istek& istek) {
    Komutlar::json(GeriYukle::yerineKoy(istek.arg(1), istek.arg(2), istek.ayarlar));
    return 0;
}

int farkliKaydet(Komutlar::Istek& istek) {
    Komutlar::yaz(GeriYukle::farkliKaydet(istek.arg(1), istek.arg(2), istek.arg(3)));
    return 0;
}

int degistirilmisler(Komutlar::Istek&) {
    Komutlar::json(GeriYukle::kayitlar());
    return 0;
}

int geriAl(Komutlar::Istek& istek) {
    GeriYukle::geriAl(istek.arg(1));
    return 0;
}

int copeAt(Komutlar::Istek& istek) {
    GeriYukle::copeAt(istek.arg(1));
    return 0;
}

}  // namespace Isleyiciler
