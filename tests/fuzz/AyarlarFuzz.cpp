// Settings text as every process reads it from ayarlar.json: a damaged file
// means all defaults, and whatever loads survives a save (the way the
// settings pane saves it) unchanged.
#include "core/Ayarlar.hpp"
#include "core/Yol.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    dosyaYaz(Yol::ayarlar(), girdi);
    Ayarlar yuklenen = Ayarlar::yukle();
    yuklenen.kaynakAdlari();
    gerek(yuklenen == coz<Ayarlar>(girdi).value_or(Ayarlar()));
    geriOkunur(yuklenen);
}
