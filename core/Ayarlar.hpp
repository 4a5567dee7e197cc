#pragma once
// The user's configuration, stored as ayarlar.json in the state directory.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

// Retention counts; 0 or below means "every such period".
struct Saklama {
    int64_t saatlik = 24;
    int64_t gunluk = 30;
    int64_t haftalik = 12;
    int64_t aylik = 12;
    int64_t yillik = 0;
    bool operator==(const Saklama&) const = default;
};

struct KaynakAdi {
    std::string ad;   // the name the folder has in every copy
    std::string yol;  // its absolute path on the computer
};

struct Ayarlar {
    std::optional<std::string> diskUUID;
    std::optional<std::string> diskSeri;
    std::string imajAdi = "Brimvale.sparsebundle";
    std::vector<std::string> kaynaklar;
    std::vector<std::string> haric = varsayilanHaric();
    Saklama saklama;
    bool seyrelt = true;
    std::string anahtar = "com.ondrak.brimvale";
    bool otomatikCikar = true;
    int64_t silmeEsigiDosya = 500;
    double silmeEsigiBayt = 5368709120.0;
    std::optional<std::string> oncelikListesi;
    std::optional<std::string> kurulumBetigi;
    std::optional<std::string> kurtulusNotu;
    std::vector<std::string> oncelikKlasorler;
    std::vector<std::string> programCikar;
    std::vector<std::string> programEk;
    std::string notMetni;

    static std::vector<std::string> varsayilanHaric();
    // The settings file, or all defaults when it is missing or damaged.
    static Ayarlar yukle();
    // Writes the settings file atomically; throws on failure.
    void kaydet() const;

    std::vector<KaynakAdi> kaynakAdlari() const;
    std::optional<std::string> kaynakYolu(const std::string& ad) const;

    bool operator==(const Ayarlar&) const = default;
};

void to_json(nlohmann::json& j, const Saklama& s);
void from_json(const nlohmann::json& j, Saklama& s);
void to_json(nlohmann::json& j, const Ayarlar& a);
// Starts from the defaults; a present, non-null key replaces its default.
// A key of the wrong type throws, so the caller falls back to all defaults.
void from_json(const nlohmann::json& j, Ayarlar& a);
