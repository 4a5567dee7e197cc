#include "backup/Ozet.hpp"

#include "core/Json.hpp"

void to_json(nlohmann::json& j, const SilinenDosya& s) {
    j = {{"i", s.i}, {"yol", s.yol}, {"boy", s.boy}, {"zaman", s.zaman}};
}

void from_json(const nlohmann::json& j, SilinenDosya& s) {
    Json::al(j, "i", s.i);
    Json::al(j, "yol", s.yol);
    Json::al(j, "boy", s.boy);
    Json::al(j, "zaman", s.zaman);
}

void to_json(nlohmann::json& j, const EnCok& e) { j = {{"klasor", e.klasor}, {"adet", e.adet}, {"boy", e.boy}}; }

void from_json(const nlohmann::json& j, EnCok& e) {
    Json::al(j, "klasor", e.klasor);
    Json::al(j, "adet", e.adet);
    Json::al(j, "boy", e.boy);
}

void to_json(nlohmann::json& j, const Ozet& o) {
    j = {{"silinen", o.silinen},
         {"silinenKlasor", o.silinenKlasor},
         {"silinenBayt", o.silinenBayt},
         {"yeni", o.yeni},
         {"degisen", o.degisen},
         {"aktarilacakBayt", o.aktarilacakBayt},
         {"oge", o.oge},
         {"enCok", o.enCok},
         {"esik", o.esik},
         {"elle", o.elle}};
    Json::istegeBagliYaz(j, "hazirBayt", o.hazirBayt);
    Json::istegeBagliYaz(j, "sonYedek", o.sonYedek);
}

void from_json(const nlohmann::json& j, Ozet& o) {
    Json::al(j, "silinen", o.silinen);
    Json::al(j, "silinenKlasor", o.silinenKlasor);
    Json::al(j, "silinenBayt", o.silinenBayt);
    Json::al(j, "yeni", o.yeni);
    Json::al(j, "degisen", o.degisen);
    Json::al(j, "aktarilacakBayt", o.aktarilacakBayt);
    Json::istegeBagliOku(j, "hazirBayt", o.hazirBayt);
    Json::al(j, "oge", o.oge);
    Json::al(j, "enCok", o.enCok);
    Json::al(j, "esik", o.esik);
    Json::istegeBagliOku(j, "sonYedek", o.sonYedek);
    Json::al(j, "elle", o.elle);
}
