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
    Json::al(j, "bicim", t.bicim);
    Json::al(j, "surum", t.surum);
    Json::al(j, "tarih", t.tarih);
    Json::al(j, "sonKopya", t.sonKopya);
    Json::al(j, "kaynaklar", t.kaynaklar);
    Json::al(j, "kaynakAdlari", t.kaynakAdlari);
    Json::al(j, "haric", t.haric);
    Json::al(j, "imajAdi", t.imajAdi);
    Json::al(j, "mac", t.mac);
    Json::al(j, "kullanici", t.kullanici);
    Json::al(j, "ev", t.ev);
    Json::istegeBagliOku(j, "oncelikListesi", t.oncelikListesi);
    Json::istegeBagliOku(j, "kurulumBetigi", t.kurulumBetigi);
    Json::istegeBagliOku(j, "kurtulusNotu", t.kurtulusNotu);
    Json::istegeBagliOku(j, "oncelikKlasorler", t.oncelikKlasorler);
    Json::istegeBagliOku(j, "programSayisi", t.programSayisi);
    Json::istegeBagliOku(j, "imajBirimAdi", t.imajBirimAdi);
}

}  // namespace Kurtulus
