// The JSON records one process writes and another reads (the decision, the
// change summary, the result, copy statistics, the large-file catalogue, the
// recovery recipe, the program list, the copy history). The first byte picks
// the record. A record either fails to decode or survives being written and
// read again.
#include "backup/Karar.hpp"
#include "backup/Ozet.hpp"
#include "backup/YedekSonucu.hpp"
#include "recovery/Program.hpp"
#include "recovery/Tarif.hpp"
#include "store/BuyukDosyalar.hpp"
#include "store/KopyaBilgisi.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

namespace {
template <typename T>
void kayit(const std::string& metin) {
    if (auto k = FuzzOrtami::coz<T>(metin)) FuzzOrtami::geriOkunur(*k);
}
}  // namespace

void FuzzOrtami::dene(const std::string& girdi) {
    if (girdi.empty()) return;
    const std::string m = girdi.substr(1);
    switch (static_cast<uint8_t>(girdi[0]) % 8) {
        case 0: return kayit<Karar>(m);
        case 1: return kayit<Ozet>(m);
        case 2: return kayit<YedekSonucu>(m);
        case 3: return kayit<KopyaBilgisi>(m);
        case 4: return kayit<BuyukKayit>(m);
        case 5: return kayit<Kurtulus::Tarif>(m);
        case 6: return kayit<Program>(m);
        default: return kayit<std::vector<KopyaBilgisi>>(m);
    }
}
