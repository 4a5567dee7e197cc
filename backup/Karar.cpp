#include "backup/Karar.hpp"
#include "core/Json.hpp"

#include <charconv>
#include <cstdlib>

#include "backup/Durdurma.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Saat.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yol.hpp"

void to_json(nlohmann::json& j, const Karar& k) { j = {{"islem", k.islem}, {"sec", k.sec}}; }

void from_json(const nlohmann::json& j, Karar& k) {
    Json::al(j, "islem", k.islem);
    Json::al(j, "sec", k.sec);
}

namespace Yedekleme {
namespace {

std::vector<int> secimler(const char* metin) {
    std::vector<int> sec;
    if (!metin) return sec;
    for (const auto& parca : Metin::bol(metin, ',', true)) {
        int n = 0;
        auto [son, hata] = std::from_chars(parca.data(), parca.data() + parca.size(), n);
        if (hata == std::errc() && son == parca.data() + parca.size()) sec.push_back(n);
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
