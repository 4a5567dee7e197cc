// The JSON records one process writes and another reads (the decision, the
// change summary, the result, copy statistics, the large-file catalogue, the
// recovery recipe, the program list). The first byte picks the record. A
// record either fails to decode or survives being written and read again.
#include <cstdlib>

#include "backup/Karar.hpp"
#include "backup/Ozet.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Json.hpp"
#include "temel/Metin.hpp"
#include "recovery/Program.hpp"
#include "recovery/Tarif.hpp"
#include "store/BuyukDosyalar.hpp"
#include "store/KopyaBilgisi.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

namespace {

template <typename T>
void dene(const nlohmann::json& j) {
    T kayit;
    try {
        kayit = j.get<T>();
    } catch (const std::exception&) {
        return;
    }
    auto yeniden = nlohmann::json::parse(Metin::utf8Onar(Json::metin(nlohmann::json(kayit), true)));
    if (yeniden.get<T>() != kayit) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    if (boy < 1) return 0;
    auto j = nlohmann::json::parse(FuzzOrtami::metin(veri + 1, boy - 1), nullptr, false);
    if (j.is_discarded()) return 0;
    switch (veri[0] % 8) {
        case 0: dene<Karar>(j); break;
        case 1: dene<Ozet>(j); break;
        case 2: dene<YedekSonucu>(j); break;
        case 3: dene<KopyaBilgisi>(j); break;
        case 4: dene<BuyukKayit>(j); break;
        case 5: dene<Kurtulus::Tarif>(j); break;
        case 6: dene<Program>(j); break;
        case 7: dene<std::vector<KopyaBilgisi>>(j); break;  // the copy history
    }
    return 0;
}
