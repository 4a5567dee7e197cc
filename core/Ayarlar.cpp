#include "core/Ayarlar.hpp"

#include <set>
#include <stdexcept>

#include "core/Dosya.hpp"
#include "core/Json.hpp"
#include "core/Yol.hpp"

namespace {

using nlohmann::json;

// Every key of the retention object is required.
const auto kSaklama = std::tuple{Json::alan("saatlik", &Saklama::saatlik), Json::alan("gunluk", &Saklama::gunluk),
                                 Json::alan("haftalik", &Saklama::haftalik), Json::alan("aylik", &Saklama::aylik),
                                 Json::alan("yillik", &Saklama::yillik)};

// A settings key that is missing or null keeps its default.
const auto kAyarlar = std::tuple{Json::alan("diskUUID", &Ayarlar::diskUUID),
                                 Json::alan("diskSeri", &Ayarlar::diskSeri),
                                 Json::varsayilanli("imajAdi", &Ayarlar::imajAdi),
                                 Json::varsayilanli("kaynaklar", &Ayarlar::kaynaklar),
                                 Json::varsayilanli("haric", &Ayarlar::haric),
                                 Json::varsayilanli("saklama", &Ayarlar::saklama),
                                 Json::varsayilanli("seyrelt", &Ayarlar::seyrelt),
                                 Json::varsayilanli("anahtar", &Ayarlar::anahtar),
                                 Json::varsayilanli("otomatikCikar", &Ayarlar::otomatikCikar),
                                 Json::varsayilanli("silmeEsigiDosya", &Ayarlar::silmeEsigiDosya),
                                 Json::varsayilanli("silmeEsigiBayt", &Ayarlar::silmeEsigiBayt),
                                 Json::alan("oncelikListesi", &Ayarlar::oncelikListesi),
                                 Json::alan("kurulumBetigi", &Ayarlar::kurulumBetigi),
                                 Json::alan("kurtulusNotu", &Ayarlar::kurtulusNotu),
                                 Json::varsayilanli("oncelikKlasorler", &Ayarlar::oncelikKlasorler),
                                 Json::varsayilanli("programCikar", &Ayarlar::programCikar),
                                 Json::varsayilanli("programEk", &Ayarlar::programEk),
                                 Json::varsayilanli("notMetni", &Ayarlar::notMetni)};

}  // namespace

void to_json(json& j, const Saklama& s) { Json::yaz(j, s, kSaklama); }
void from_json(const json& j, Saklama& s) { Json::oku(j, s, kSaklama); }
void to_json(json& j, const Ayarlar& a) { Json::yaz(j, a, kAyarlar); }
void from_json(const json& j, Ayarlar& a) { Json::oku(j, a, kAyarlar); }

std::vector<std::string> Ayarlar::varsayilanHaric() {
    return {"node_modules/", ".next/", "build/", "dist/", "out/", ".gradle/", ".turbo/", "coverage/",
            ".build/", ".claude/worktrees/", ".DS_Store", "._*", ".Trash/", ".Spotlight-V100/", ".fseventsd/"};
}

// Far above any real settings file; anything bigger is not ours.
constexpr size_t kAyarSiniri = 1 << 20;

Ayarlar Ayarlar::yukle() { return jsonOku<Ayarlar>(Yol::ayarlar(), kAyarSiniri).value_or(Ayarlar()); }

void Ayarlar::kaydet() const { jsonYaz(json(*this), Yol::ayarlar()); }

std::vector<KaynakAdi> Ayarlar::kaynakAdlari() const {
    std::vector<KaynakAdi> sonuc;
    std::set<std::string> verilen;
    for (const auto& yol : kaynaklar) {
        std::string taban = yol;
        while (taban.size() > 1 && taban.back() == '/') taban.pop_back();
        if (auto p = taban.rfind('/'); p != std::string::npos && taban.size() > 1) taban = taban.substr(p + 1);
        std::string ad = taban;
        for (int n = 2; verilen.count(ad); ++n) ad = taban + " " + std::to_string(n);
        verilen.insert(ad);
        sonuc.push_back({ad, yol});
    }
    return sonuc;
}

std::optional<std::string> Ayarlar::kaynakYolu(const std::string& ad) const {
    for (const auto& k : kaynakAdlari())
        if (k.ad == ad) return k.yol;
    return std::nullopt;
}
