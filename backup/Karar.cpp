#include "backup/Karar.hpp"
#include "core/Json.hpp"

#include <climits>
#include <cstdlib>

#include "backup/Durdurma.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Saat.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yol.hpp"

namespace {
const auto kKarar = std::tuple{Json::alan("islem", &Karar::islem), Json::alan("sec", &Karar::sec)};
}  // namespace

void to_json(nlohmann::json& j, const Karar& k) { Json::yaz(j, k, kKarar); }
void from_json(const nlohmann::json& j, Karar& k) { Json::oku(j, k, kKarar); }

namespace Yedekleme {
namespace {

std::vector<int> secimler(const char* metin) {
    std::vector<int> sec;
    if (!metin) return sec;
    for (const auto& parca : Metin::bol(metin, ',', true)) {
        auto n = parca.starts_with('+') ? std::nullopt : Metin::isaretliSayi(parca);
        if (n && *n >= INT_MIN && *n <= INT_MAX) sec.push_back(static_cast<int>(*n));
    }
    return sec;
}

}  // namespace

std::string kararYolu() { return Yol::isKlasoru() + "/karar.json"; }

std::optional<std::string> onePaket() {
    if (const char* d = std::getenv("BRIMVALE_DURUM"); d && *d) return std::nullopt;
    return UygulamaBilgisi::paketYolu();
}

Karar kararBekle() {
    if (const char* cevap = std::getenv("BRIMVALE_CEVAP")) return {cevap, secimler(std::getenv("BRIMVALE_SEC"))};
    if (auto paket = onePaket()) komut("/usr/bin/open", {*paket});
    auto bitis = Saat::simdi() + std::chrono::seconds(7200);
    while (Saat::simdi() < bitis) {
        if (durduruldu) break;
        if (auto k = jsonOku<Karar>(kararYolu())) return *k;
        Saat::bekle(1.0);
    }
    return {"iptal", {}};
}

}  // namespace Yedekleme
