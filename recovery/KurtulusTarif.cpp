// The recipe, priority list and program list inside the image.
#include <chrono>
#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "temel/Metin.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "platform/Platform.hpp"
#include "recovery/Kurtulus.hpp"
#include "store/Kopyalar.hpp"
#include "recovery/Programlar.hpp"

namespace fs = std::filesystem;

namespace Kurtulus {
namespace {

constexpr double yil2001 = 978307200.0;

double simdi2001() {
    using namespace std::chrono;
    return duration<double>(Saat::simdi().time_since_epoch()).count() - yil2001;
}

// Text files of the kit fail silently; some are not kept when empty.
void metinYaz(const std::string& yol, const std::string& icerik, bool bossaSil) {
    std::error_code ec;
    if (icerik.empty() && bossaSil) {
        fs::remove(yol, ec);
        return;
    }
    yazDene(yol, icerik);
}

void jsonDosyasi(const nlohmann::json& deger, const std::string& yol, const std::string& uyari) {
    try {
        jsonYaz(deger, yol);
    } catch (const std::exception& e) {
        Gunluk::yaz(uyari + " " + e.what());
    }
}

std::string kirpBosluk(const std::string& s) {
    size_t bas = s.find_first_not_of(" \t");
    if (bas == std::string::npos) return {};
    return s.substr(bas, s.find_last_not_of(" \t") - bas + 1);
}

std::string oncelikMetni(const Ayarlar& ayarlar) {
    std::string s;
    if (!ayarlar.oncelikKlasorler.empty())
        s += std::string(turkce() ? "== önce" : "== first") + "\n" + Metin::birlestir(ayarlar.oncelikKlasorler, "\n") + "\n";
    if (ayarlar.oncelikListesi)
        if (auto liste = oncelikAc(*ayarlar.oncelikListesi)) {
            s += *liste;
            if (!liste->empty() && liste->back() != '\n') s += "\n";
        }
    return s;
}

}  // namespace

std::optional<std::string> oncelikAc(const std::string& yol, const std::set<std::string>& acilan) {
    // One file reached through "..", "." or a link is still the same file:
    // compared by spelling, a cycle through "../" would never end.
    std::error_code ec;
    fs::path tam = fs::weakly_canonical(yol, ec);
    std::string anahtar = ec ? fs::path(yol).lexically_normal().string() : tam.string();
    if (acilan.count(anahtar)) return std::nullopt;
    auto icerik = oku(yol);
    if (!icerik) return std::nullopt;
    std::set<std::string> altlar = acilan;
    altlar.insert(anahtar);
    std::string klasor = fs::path(yol).parent_path().string();
    std::vector<std::string> satirlar = Metin::bol(*icerik, '\n', false);
    for (auto& satir : satirlar) {
        std::string kirpik = kirpBosluk(satir);
        if (!kirpik.starts_with("@")) continue;
        auto ic = oncelikAc(klasor + "/" + kirpBosluk(kirpik.substr(1)), altlar);
        satir = ic ? *ic : "# " + kirpik + ": okunamadı";
    }
    return Metin::birlestir(satirlar, "\n");
}

std::optional<std::string> notIcerik(const Ayarlar& ayarlar) {
    std::string metin = Metin::kirp(ayarlar.notMetni);
    if (metin.empty() && ayarlar.kurtulusNotu) metin = oku(*ayarlar.kurtulusNotu).value_or("");
    if (Metin::kirp(metin).empty()) return std::nullopt;
    if (Metin::iceriyor(metin, "PRIVATE KEY-----")) {
        Gunluk::yaz("WARNING: recovery note contains a private key; not added");
        return std::nullopt;
    }
    return metin;
}

bool tarifYaz(const Ayarlar& ayarlar, const std::string& sonKopya, const std::optional<std::string>& imajBirimAdi) {
    auto programlar = Programlar::secili(ayarlar, std::nullopt);

    Tarif t;
    t.surum = UygulamaBilgisi::surum();
    t.tarih = simdi2001();
    t.sonKopya = sonKopya;
    t.kaynaklar = ayarlar.kaynaklar;
    for (const auto& k : ayarlar.kaynakAdlari()) t.kaynakAdlari[k.ad] = k.yol;
    t.haric = ayarlar.haric;
    t.oncelikListesi = ayarlar.oncelikListesi;
    t.kurulumBetigi = ayarlar.kurulumBetigi;
    t.kurtulusNotu = ayarlar.kurtulusNotu;
    t.oncelikKlasorler = ayarlar.oncelikKlasorler;
    t.programSayisi = static_cast<int64_t>(programlar.size());
    t.imajAdi = ayarlar.imajAdi;
    t.imajBirimAdi = imajBirimAdi;
    t.mac = Platform::bilgisayarAdi();
    t.kullanici = Platform::kullaniciAdi();
    t.ev = Platform::evDizini();

    std::string meta = Kopyalar::metaKlasoru();
    std::error_code ec;
    fs::create_directories(meta, ec);
    jsonDosyasi(t, meta + "/tarif.json", "WARNING: recipe not written:");
    metinYaz(meta + "/oncelik.txt", oncelikMetni(ayarlar), true);
    jsonDosyasi(programlar, meta + "/programlar.json", "WARNING: program list not written:");
    metinYaz(meta + "/programlar.txt", Programlar::metin(programlar), false);
    std::string brew = Programlar::brewfile(programlar);
    metinYaz(meta + "/Brewfile", brew, true);
    return !brew.empty();
}

}  // namespace Kurtulus
