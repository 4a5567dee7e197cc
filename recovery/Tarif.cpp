#include "recovery/Tarif.hpp"

#include "core/Json.hpp"

namespace Kurtulus {

namespace {

const auto kAlanlar = std::tuple{Json::alan("bicim", &Tarif::bicim),
                                 Json::alan("surum", &Tarif::surum),
                                 Json::alan("tarih", &Tarif::tarih),
                                 Json::alan("sonKopya", &Tarif::sonKopya),
                                 Json::alan("kaynaklar", &Tarif::kaynaklar),
                                 Json::alan("kaynakAdlari", &Tarif::kaynakAdlari),
                                 Json::alan("haric", &Tarif::haric),
                                 Json::alan("imajAdi", &Tarif::imajAdi),
                                 Json::alan("mac", &Tarif::mac),
                                 Json::alan("kullanici", &Tarif::kullanici),
                                 Json::alan("ev", &Tarif::ev),
                                 Json::alan("oncelikListesi", &Tarif::oncelikListesi),
                                 Json::alan("kurulumBetigi", &Tarif::kurulumBetigi),
                                 Json::alan("kurtulusNotu", &Tarif::kurtulusNotu),
                                 Json::alan("oncelikKlasorler", &Tarif::oncelikKlasorler),
                                 Json::alan("programSayisi", &Tarif::programSayisi),
                                 Json::alan("imajBirimAdi", &Tarif::imajBirimAdi)};

}  // namespace

void to_json(nlohmann::json& j, const Tarif& t) { Json::yaz(j, t, kAlanlar); }
void from_json(const nlohmann::json& j, Tarif& t) { Json::oku(j, t, kAlanlar); }

}  // namespace Kurtulus
