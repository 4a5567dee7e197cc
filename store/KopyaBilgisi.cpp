#include "store/KopyaBilgisi.hpp"

#include <cmath>

#include "core/Json.hpp"
#include "store/Kopyalar.hpp"

Saat::Zaman KopyaBilgisi::tarih() const { return Kopyalar::tarih(ad).value_or(Saat::Zaman::min()); }

namespace {

// A null value reads as absent, like a missing key; a value of another
// type makes the whole record unreadable.
const nlohmann::json* alan(const nlohmann::json& j, const char* anahtar) {
    auto it = j.find(anahtar);
    return it == j.end() || it->is_null() ? nullptr : &*it;
}

void oku(const nlohmann::json& j, const char* anahtar, std::optional<double>& v) {
    if (auto* x = alan(j, anahtar)) {
        if (!x->is_number()) throw nlohmann::json::type_error::create(302, std::string(anahtar) + " is not a number", x);
        v = x->get<double>();
    }
}

void oku(const nlohmann::json& j, const char* anahtar, std::optional<int64_t>& v) {
    if (auto* x = alan(j, anahtar)) {
        v = Json::tamSayiOku<int64_t>(*x, anahtar);
    }
}

}  // namespace

void to_json(nlohmann::json& j, const KopyaBilgisi& b) {
    j = nlohmann::json::object();
    j["ad"] = b.ad;
    Json::istegeBagliYaz(j, "aktarilan", b.aktarilan);
    Json::istegeBagliYaz(j, "kopyalanan", b.kopyalanan);
    Json::istegeBagliYaz(j, "yeni", b.yeni);
    Json::istegeBagliYaz(j, "degisen", b.degisen);
    Json::istegeBagliYaz(j, "silinen", b.silinen);
    Json::istegeBagliYaz(j, "silinenBayt", b.silinenBayt);
    Json::istegeBagliYaz(j, "sure", b.sure);
    Json::istegeBagliYaz(j, "toplamBoyut", b.toplamBoyut);
    Json::istegeBagliYaz(j, "dosyaSayisi", b.dosyaSayisi);
    Json::istegeBagliYaz(j, "kaynaklar", b.kaynaklar);
}

void from_json(const nlohmann::json& j, KopyaBilgisi& b) {
    b = KopyaBilgisi{};
    b.ad = j.at("ad").get<std::string>();
    oku(j, "aktarilan", b.aktarilan);
    oku(j, "kopyalanan", b.kopyalanan);
    oku(j, "yeni", b.yeni);
    oku(j, "degisen", b.degisen);
    oku(j, "silinen", b.silinen);
    oku(j, "silinenBayt", b.silinenBayt);
    oku(j, "sure", b.sure);
    oku(j, "toplamBoyut", b.toplamBoyut);
    oku(j, "dosyaSayisi", b.dosyaSayisi);
    if (auto* x = alan(j, "kaynaklar")) {
        if (!x->is_object()) throw nlohmann::json::type_error::create(302, "kaynaklar is not an object", x);
        std::map<std::string, double> m;
        for (auto& [k, v] : x->items()) {
            if (!v.is_number()) throw nlohmann::json::type_error::create(302, "kaynaklar holds a non-number", &v);
            m[k] = v.get<double>();
        }
        b.kaynaklar = std::move(m);
    }
}
