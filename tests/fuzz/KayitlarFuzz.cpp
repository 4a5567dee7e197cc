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
constexpr void (*kayitlar[])(const std::string&) = {
    kayit<Karar>,   kayit<Ozet>, kayit<YedekSonucu>, kayit<KopyaBilgisi>, kayit<BuyukKayit>, kayit<Kurtulus::Tarif>,
    kayit<Program>, kayit<std::vector<KopyaBilgisi>>};
}  // namespace

void FuzzOrtami::dene(const std::string& girdi) {
    if (!girdi.empty()) kayitlar[static_cast<uint8_t>(girdi[0]) % std::size(kayitlar)](girdi.substr(1));
}
