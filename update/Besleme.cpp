#include "update/Besleme.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "temel/Metin.hpp"

namespace Guncelleme {
namespace {

std::string metinAlani(const nlohmann::json& j, const char* ad) {
    auto it = j.find(ad);
    if (it == j.end() || !it->is_string() || it->get<std::string>().empty())
        throw std::runtime_error(std::string("the update feed has no \"") + ad + "\"");
    return it->get<std::string>();
}

bool hexMi(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace

Surum coz(const std::string& metin) {
    nlohmann::json j = nlohmann::json::parse(metin, nullptr, false);
    if (!j.is_object()) throw std::runtime_error("the update feed is not a JSON object");
    Surum s;
    s.surum = metinAlani(j, "surum");
    s.yapi = metinAlani(j, "yapi");
    s.adres = metinAlani(j, "adres");
    s.sha256 = metinAlani(j, "sha256");
    s.imza = metinAlani(j, "imza");
    auto b = j.find("boyut");
    if (b == j.end() || !b->is_number_unsigned() || b->get<unsigned long long>() == 0)
        throw std::runtime_error("the update feed has no \"boyut\"");
    s.boyut = b->get<unsigned long long>();
    if (s.boyut > kEnBuyukArsiv) throw std::runtime_error("the update archive is too large");
    if (s.sha256.size() != 64 || !hexMi(s.sha256)) throw std::runtime_error("the update feed's \"sha256\" is not a digest");
    if (s.yapi.size() > 64) throw std::runtime_error("the update feed's \"yapi\" is too long");
    return s;
}

int yapiKarsilastir(const std::string& a, const std::string& b) {
    auto pa = Metin::bol(a, '.', false), pb = Metin::bol(b, '.', false);
    for (size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        std::string x = i < pa.size() ? pa[i] : "0", y = i < pb.size() ? pb[i] : "0";
        auto nx = Metin::sayi(x), ny = Metin::sayi(y);
        if (nx && ny) {
            if (*nx != *ny) return *nx < *ny ? -1 : 1;
        } else if (int c = x.compare(y)) {
            return c < 0 ? -1 : 1;
        }
    }
    return 0;
}

}  // namespace Guncelleme
