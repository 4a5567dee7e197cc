#include "backup/Ozet.hpp"

#include "core/Json.hpp"

namespace {

const auto kSilinen = std::tuple{Json::alan("i", &SilinenDosya::i), Json::alan("yol", &SilinenDosya::yol),
                                 Json::alan("boy", &SilinenDosya::boy), Json::alan("zaman", &SilinenDosya::zaman)};
const auto kEnCok = std::tuple{Json::alan("klasor", &EnCok::klasor), Json::alan("adet", &EnCok::adet),
                               Json::alan("boy", &EnCok::boy)};
const auto kOzet = std::tuple{Json::alan("silinen", &Ozet::silinen),
                              Json::alan("silinenKlasor", &Ozet::silinenKlasor),
                              Json::alan("silinenBayt", &Ozet::silinenBayt),
                              Json::alan("yeni", &Ozet::yeni),
                              Json::alan("degisen", &Ozet::degisen),
                              Json::alan("aktarilacakBayt", &Ozet::aktarilacakBayt),
                              Json::alan("hazirBayt", &Ozet::hazirBayt),
                              Json::alan("oge", &Ozet::oge),
                              Json::alan("enCok", &Ozet::enCok),
                              Json::alan("esik", &Ozet::esik),
                              Json::alan("sonYedek", &Ozet::sonYedek),
                              Json::alan("elle", &Ozet::elle)};

}  // namespace

void to_json(nlohmann::json& j, const SilinenDosya& s) { Json::yaz(j, s, kSilinen); }
void from_json(const nlohmann::json& j, SilinenDosya& s) { Json::oku(j, s, kSilinen); }
void to_json(nlohmann::json& j, const EnCok& e) { Json::yaz(j, e, kEnCok); }
void from_json(const nlohmann::json& j, EnCok& e) { Json::oku(j, e, kEnCok); }
void to_json(nlohmann::json& j, const Ozet& o) { Json::yaz(j, o, kOzet); }
void from_json(const nlohmann::json& j, Ozet& o) { Json::oku(j, o, kOzet); }
