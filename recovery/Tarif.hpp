#pragma once
// How a backup was made, left inside the image for the day it is restored.
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace Kurtulus {

struct Tarif {
    int64_t bicim = 1;
    std::string surum;
    double tarih = 0;  // seconds since 2001-01-01 00:00:00 UTC
    std::string sonKopya;
    std::vector<std::string> kaynaklar;
    std::map<std::string, std::string> kaynakAdlari;  // name in a copy -> path on the computer
    std::vector<std::string> haric;
    std::optional<std::string> oncelikListesi;
    std::optional<std::string> kurulumBetigi;
    std::optional<std::string> kurtulusNotu;
    std::optional<std::vector<std::string>> oncelikKlasorler;
    std::optional<int64_t> programSayisi;
    std::string imajAdi;
    std::optional<std::string> imajBirimAdi;
    std::string mac;
    std::string kullanici;
    std::string ev;

    bool operator==(const Tarif&) const = default;
};

void to_json(nlohmann::json& j, const Tarif& t);
// Every key the writer always puts is required.
void from_json(const nlohmann::json& j, Tarif& t);

}  // namespace Kurtulus
