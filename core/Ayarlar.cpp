#include "core/Ayarlar.hpp"

#include <set>
#include <stdexcept>

#include "core/Dosya.hpp"
#include "core/Json.hpp"
#include "core/Yol.hpp"

namespace {

using nlohmann::json;

[[noreturn]] void turHatasi(const std::string& anahtar) {
    throw std::invalid_argument("settings key \"" + anahtar + "\" has the wrong type");
}

// Strict readers: a value of another JSON type is an error, as a typed
// decoder would have it.
void cek(const json& v, const std::string& k, std::string& hedef) {
    if (!v.is_string()) turHatasi(k);
    hedef = v.get<std::string>();
}
void cek(const json& v, const std::string& k, bool& hedef) {
    if (!v.is_boolean()) turHatasi(k);
    hedef = v.get<bool>();
}
void cek(const json& v, const std::string& k, int64_t& hedef) {
    auto n = Json::tamSayi(v);
    if (!n) turHatasi(k);
    hedef = *n;
}
void cek(const json& v, const std::string& k, double& hedef) {
    if (!v.is_number()) turHatasi(k);
    hedef = v.get<double>();
}
void cek(const json& v, const std::string& k, std::vector<std::string>& hedef) {
    if (!v.is_array()) turHatasi(k);
    std::vector<std::string> liste;
    for (const auto& e : v) {
        if (!e.is_string()) turHatasi(k);
        liste.push_back(e.get<std::string>());
    }
    hedef = std::move(liste);
}
void cek(const json& v, const std::string& k, std::optional<std::string>& hedef) {
    std::string s;
    cek(v, k, s);
    hedef = std::move(s);
}
void cek(const json& v, const std::string&, Saklama& hedef) { hedef = v.get<Saklama>(); }

// Absent or null keeps the default.
template <typename T>
void varsa(const json& j, const std::string& anahtar, T& hedef) {
    auto it = j.find(anahtar);
    if (it == j.end() || it->is_null()) return;
    cek(*it, anahtar, hedef);
}

// Every key of the retention object is required.
template <typename T>
void gerekli(const json& j, const std::string& anahtar, T& hedef) {
    auto it = j.find(anahtar);
    if (it == j.end() || it->is_null()) throw std::invalid_argument("saklama needs \"" + anahtar + "\"");
    cek(*it, anahtar, hedef);
}

}  // namespace

void to_json(json& j, const Saklama& s) {
    j = json{{"saatlik", s.saatlik}, {"gunluk", s.gunluk}, {"haftalik", s.haftalik},
             {"aylik", s.aylik}, {"yillik", s.yillik}};
}

void from_json(const json& j, Saklama& s) {
    if (!j.is_object()) turHatasi("saklama");
    Saklama yeni;
    gerekli(j, "saatlik", yeni.saatlik);
    gerekli(j, "gunluk", yeni.gunluk);
    gerekli(j, "haftalik", yeni.haftalik);
    gerekli(j, "aylik", yeni.aylik);
    gerekli(j, "yillik", yeni.yillik);
    s = yeni;
}

void to_json(json& j, const Ayarlar& a) {
    j = json{{"imajAdi", a.imajAdi},
             {"kaynaklar", a.kaynaklar},
             {"haric", a.haric},
             {"saklama", a.saklama},
             {"seyrelt", a.seyrelt},
             {"anahtar", a.anahtar},
             {"otomatikCikar", a.otomatikCikar},
             {"silmeEsigiDosya", a.silmeEsigiDosya},
             {"silmeEsigiBayt", a.silmeEsigiBayt},
             {"oncelikKlasorler", a.oncelikKlasorler},
             {"programCikar", a.programCikar},
             {"programEk", a.programEk},
             {"notMetni", a.notMetni}};
    if (a.diskUUID) j["diskUUID"] = *a.diskUUID;
    if (a.diskSeri) j["diskSeri"] = *a.diskSeri;
    if (a.oncelikListesi) j["oncelikListesi"] = *a.oncelikListesi;
    if (a.kurulumBetigi) j["kurulumBetigi"] = *a.kurulumBetigi;
    if (a.kurtulusNotu) j["kurtulusNotu"] = *a.kurtulusNotu;
}

void from_json(const json& j, Ayarlar& a) {
    if (!j.is_object()) throw std::invalid_argument("settings are not a JSON object");
    Ayarlar yeni;
    varsa(j, "diskUUID", yeni.diskUUID);
    varsa(j, "diskSeri", yeni.diskSeri);
    varsa(j, "imajAdi", yeni.imajAdi);
    varsa(j, "kaynaklar", yeni.kaynaklar);
    varsa(j, "haric", yeni.haric);
    varsa(j, "saklama", yeni.saklama);
    varsa(j, "seyrelt", yeni.seyrelt);
    varsa(j, "anahtar", yeni.anahtar);
    varsa(j, "otomatikCikar", yeni.otomatikCikar);
    varsa(j, "silmeEsigiDosya", yeni.silmeEsigiDosya);
    varsa(j, "silmeEsigiBayt", yeni.silmeEsigiBayt);
    varsa(j, "oncelikListesi", yeni.oncelikListesi);
    varsa(j, "kurulumBetigi", yeni.kurulumBetigi);
    varsa(j, "kurtulusNotu", yeni.kurtulusNotu);
    varsa(j, "oncelikKlasorler", yeni.oncelikKlasorler);
    varsa(j, "programCikar", yeni.programCikar);
    varsa(j, "programEk", yeni.programEk);
    varsa(j, "notMetni", yeni.notMetni);
    a = std::move(yeni);
}

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
