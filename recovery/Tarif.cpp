#include "recovery/Tarif.hpp"

#include "core/Json.hpp"

namespace Kurtulus {

void to_json(nlohmann::json& j, const Tarif& t) {
    j = {{"bicim", t.bicim},       {"surum", t.surum},     {"tarih", t.tarih},
         {"sonKopya", t.sonKopya}, {"kaynaklar", t.kaynaklar}, {"kaynakAdlari", t.kaynakAdlari},
         {"haric", t.haric},       {"imajAdi", t.imajAdi}, {"mac", t.mac},
         {"kullanici", t.kullanici}, {"ev", t.ev}};
    Json::istegeBagliYaz(j, "oncelikListesi", t.oncelikListesi);
    Json::istegeBagliYaz(j, "kurulumBetigi", t.kurulumBetigi);
    Json::istegeBagliYaz(j, "kurtulusNotu", t.kurtulusNotu);
    Json::istegeBagliYaz(j, "oncelikKlasorler", t.oncelikKlasorler);
    Json::istegeBagliYaz(j, "programSayisi", t.programSayisi);
    Json::istegeBagliYaz(j, "imajBirimAdi", t.imajBirimAdi);
}

void from_json(const nlohmann::json& j, Tarif& t) {
    j.at("bicim").get_to(t.bicim);
    j.at("surum").get_to(t.surum);
    j.at("tarih").get_to(t.tarih);
    j.at("sonKopya").get_to(t.sonKopya);
    j.at("kaynaklar").get_to(t.kaynaklar);
    j.at("kaynakAdlari").get_to(t.kaynakAdlari);
    j.at("haric").get_to(t.haric);
    j.at("imajAdi").get_to(t.imajAdi);
    j.at("mac").get_to(t.mac);
    j.at("kullanici").get_to(t.kullanici);
    j.at("ev").get_to(t.ev);
    Json::istegeBagliOku(j, "oncelikListesi", t.oncelikListesi);
    Json::istegeBagliOku(j, "kurulumBetigi", t.kurulumBetigi);
    Json::istegeBagliOku(j, "kurtulusNotu", t.kurtulusNotu);
    Json::istegeBagliOku(j, "oncelikKlasorler", t.oncelikKlasorler);
    Json::istegeBagliOku(j, "programSayisi", t.programSayisi);
    Json::istegeBagliOku(j, "imajBirimAdi", t.imajBirimAdi);
}

}  // namespace Kurtulus
