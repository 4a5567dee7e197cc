#include "backup/Ozet.hpp"

#include "core/Json.hpp"

void to_json(nlohmann::json& j, const SilinenDosya& s) {
    j = {{"i", s.i}, {"yol", s.yol}, {"boy", s.boy}, {"zaman", s.zaman}};
}

void from_json(const nlohmann::json& j, SilinenDosya& s) {
    j.at("i").get_to(s.i);
    j.at("yol").get_to(s.yol);
    j.at("boy").get_to(s.boy);
    j.at("zaman").get_to(s.zaman);
}

void to_json(nlohmann::json& j, const EnCok& e) { j = {{"klasor", e.klasor}, {"adet", e.adet}, {"boy", e.boy}}; }

void from_json(const nlohmann::json& j, EnCok& e) {
    j.at("klasor").get_to(e.klasor);
    j.at("adet").get_to(e.adet);
    j.at("boy").get_to(e.boy);
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
    j.at("silinen").get_to(o.silinen);
    j.at("silinenKlasor").get_to(o.silinenKlasor);
    j.at("silinenBayt").get_to(o.silinenBayt);
    j.at("yeni").get_to(o.yeni);
    j.at("degisen").get_to(o.degisen);
    j.at("aktarilacakBayt").get_to(o.aktarilacakBayt);
    Json::istegeBagliOku(j, "hazirBayt", o.hazirBayt);
    j.at("oge").get_to(o.oge);
    j.at("enCok").get_to(o.enCok);
    j.at("esik").get_to(o.esik);
    Json::istegeBagliOku(j, "sonYedek", o.sonYedek);
    j.at("elle").get_to(o.elle);
}
