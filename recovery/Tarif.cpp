#include "recovery/Tarif.hpp"

#include "recovery/IstegeBagli.hpp"

namespace Kurtulus {

void to_json(nlohmann::json& j, const Tarif& t) {
    j = {{"bicim", t.bicim},       {"surum", t.surum},     {"tarih", t.tarih},
         {"sonKopya", t.sonKopya}, {"kaynaklar", t.kaynaklar}, {"kaynakAdlari", t.kaynakAdlari},
         {"haric", t.haric},       {"imajAdi", t.imajAdi}, {"mac", t.mac},
         {"kullanici", t.kullanici}, {"ev", t.ev}};
    istegeBagliYaz(j, "oncelikListesi", t.oncelikListesi);
    istegeBagliYaz(j, "kurulumBetigi", t.kurulumBetigi);
    istegeBagliYaz(j, "kurtulusNotu", t.kurtulusNotu);
    istegeBagliYaz(j, "oncelikKlasorler", t.oncelikKlasorler);
    istegeBagliYaz(j, "programSayisi", t.programSayisi);
    istegeBagliYaz(j, "imajBirimAdi", t.imajBirimAdi);
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
    istegeBagliOku(j, "oncelikListesi", t.oncelikListesi);
    istegeBagliOku(j, "kurulumBetigi", t.kurulumBetigi);
    istegeBagliOku(j, "kurtulusNotu", t.kurtulusNotu);
    istegeBagliOku(j, "oncelikKlasorler", t.oncelikKlasorler);
    istegeBagliOku(j, "programSayisi", t.programSayisi);
    istegeBagliOku(j, "imajBirimAdi", t.imajBirimAdi);
}

}  // namespace Kurtulus
