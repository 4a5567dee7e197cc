#include "ui/Kurallar.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "backup/GercekYol.hpp"
#include "core/Yerel.hpp"
#include "temel/Metin.hpp"

namespace Kurallar {
namespace {

double saniye(Saat::Zaman a, Saat::Zaman b) { return std::chrono::duration<double>(a - b).count(); }

constexpr double kOrnekSuresi = 5, kGecmisSuresi = 120, kHatirlatmaGunu = 7, kTekrarSor = 3600;

}  // namespace

const std::vector<BolumBilgisi>& bolumler() {
    static const std::vector<BolumBilgisi> b = {
        {Bolum::genel, "genel", "Overview", "externaldrive.fill.badge.timemachine"},
        {Bolum::geriYukle, "geriYukle", "Restore", "clock.arrow.circlepath"},
        {Bolum::kopyalar, "kopyalar", "Replaced Items", "doc.on.doc"},
        {Bolum::gunluk, "gunluk", "Log", "list.bullet.rectangle"},
    };
    return b;
}

Bolum bolum(const char* ham) {
    for (const auto& b : bolumler())
        if (ham && std::strcmp(ham, b.ham) == 0) return b.bolum;
    return Bolum::genel;
}

Olcek olcek(const char* ham) {
    static const std::pair<const char*, Olcek> olcekler[] = {
        {"gun", Olcek::gun}, {"hafta", Olcek::hafta}, {"ay", Olcek::ay}, {"yil", Olcek::yil}, {"tumu", Olcek::tumu}};
    for (const auto& [ad, o] : olcekler)
        if (ham && std::strcmp(ham, ad) == 0) return o;
    return Olcek::ay;
}

std::optional<double> olcekSuresi(Olcek o) {
    switch (o) {
        case Olcek::gun: return 86400;
        case Olcek::hafta: return 604800;
        case Olcek::ay: return 2678400;
        case Olcek::yil: return 31622400;
        case Olcek::tumu: return std::nullopt;
    }
    return std::nullopt;
}

Aralik cizelgeAraligi(Olcek o, const std::vector<double>& zamanlar, std::optional<size_t> secili) {
    if (zamanlar.empty()) return {0, 1};
    auto sure = olcekSuresi(o);
    double ilk = zamanlar.front(), son = zamanlar.back();
    if (!sure) {
        // Every copy; a lone copy gets a day around it.
        double boy = std::max(son - ilk, 86400.0);
        double orta = (ilk + son) / 2;
        return {orta - boy * 0.52, orta + boy * 0.52};
    }
    double pay = *sure * 0.02;
    Aralik a{son + pay - *sure, son + pay};
    if (secili && *secili < zamanlar.size() && zamanlar[*secili] < a.bas + pay) {
        double z = zamanlar[*secili];
        a = {z - pay, z - pay + *sure};
    }
    return a;
}

double cizelgeX(const Aralik& a, double zaman, double genislik, double kenar) {
    double boy = a.son - a.bas;
    if (boy <= 0) return kenar;
    return kenar + (zaman - a.bas) / boy * std::max(0.0, genislik - 2 * kenar);
}

std::optional<size_t> cizelgeVurus(const Aralik& a, const std::vector<double>& zamanlar, double x,
                                   double genislik, double kenar, double tolerans) {
    std::optional<size_t> en;
    double enYakin = tolerans;
    for (size_t i = 0; i < zamanlar.size(); ++i) {
        if (zamanlar[i] < a.bas || zamanlar[i] > a.son) continue;
        double uzaklik = std::abs(cizelgeX(a, zamanlar[i], genislik, kenar) - x);
        if (uzaklik <= enYakin) {
            enYakin = uzaklik;
            en = i;
        }
    }
    return en;
}

const char* menuSembolu(const Anlik& a) {
    if (a.asama == "esitleme") return a.duraklatildi ? "pause.circle" : "arrow.triangle.2.circlepath";
    if (a.asama == "bosta" && a.sonuc == "hata") return "exclamationmark.triangle";
    return "externaldrive.badge.timemachine";
}

std::optional<DurumSatiri> durumSatiri(const Anlik& a, bool mesgul) {
    if (a.calisiyor || mesgul)
        return DurumSatiri{Yerel::metin("Backup in progress: do not unplug the disk"), "exclamationmark.triangle.fill", true};
    if (a.diskBagli) return DurumSatiri{Yerel::metin("Eject the disk before unplugging it"), "eject", false};
    return std::nullopt;
}

std::optional<double> HizOlcer::ekle(const Anlik& a, Saat::Zaman simdi) {
    auto eski = [&](Saat::Zaman z) { return saniye(simdi, z) > kGecmisSuresi; };
    while (!ornekler_.empty() && eski(ornekler_.front().first)) ornekler_.pop_front();
    while (!gecmis_.empty() && eski(gecmis_.front().zaman)) gecmis_.pop_front();
    if (a.asama != "esitleme") return std::nullopt;
    ornekler_.emplace_back(simdi, a.bitenBayt);
    // The speed over the newest samples that span more than 5 s.
    auto ilk = ornekler_.end();
    for (auto it = ornekler_.begin(); it != ornekler_.end(); ++it)
        if (saniye(simdi, it->first) > kOrnekSuresi) ilk = it;
    if (ilk == ornekler_.end()) return std::nullopt;
    double hiz = std::max(0.0, (a.bitenBayt - ilk->second) / saniye(simdi, ilk->first));
    gecmis_.push_back({++sonId_, simdi, hiz});
    return hiz;
}

std::optional<int> eskiYedek(const std::optional<Saat::Zaman>& sonYedek, Saat::Zaman simdi) {
    if (!sonYedek) return std::nullopt;
    int gun = static_cast<int>(saniye(simdi, *sonYedek) / 86400);
    if (gun < kHatirlatmaGunu) return std::nullopt;
    return gun;
}

std::optional<int> eskiYedekGunu(const HatirlatmaDurumu& d, Saat::Zaman simdi, const std::string& bugun) {
    if (!d.kurulu || !d.izinlerTam || d.izinDeneme || bugun == d.sonUyariGunu) return std::nullopt;
    return eskiYedek(d.sonYedek, simdi);
}

bool tekrarSor(const Anlik& a, const TekrarSorDurumu& d, Saat::Zaman simdi) {
    if (!d.hazir || !d.dokunulur || !a.erteleme || a.asama != "bosta" || d.soruAcik || !d.ilkBakis || d.mesgul)
        return false;
    return saniye(simdi, *a.erteleme) >= kTekrarSor && d.hatirlatilan != a.erteleme;
}

const char* kayitEtiketi(const GeriYukleme& g) {
    if (g.durum == "geri-alindi") return "Undone";
    if (g.durum == "cope-atildi") return "In the Trash";
    if (!g.damgali) return "Restored (no copy)";
    std::error_code ec;
    return std::filesystem::symlink_status(*g.damgali, ec).type() != std::filesystem::file_type::not_found && !ec
               ? "Kept"
               : "No longer there";
}

bool kayitGosterilir(const GeriYukleme& g, bool hepsi) {
    return hepsi || (g.durum != "geri-alindi" && g.durum != "cope-atildi");
}

int eskiKayitSayisi(const std::vector<GeriYukleme>& kayitlar, Saat::Zaman simdi) {
    double sinir = std::chrono::duration<double>(simdi.time_since_epoch()).count() - 2592000;
    return static_cast<int>(std::count_if(kayitlar.begin(), kayitlar.end(), [&](const GeriYukleme& g) {
        return g.zaman < sinir && std::string(kayitEtiketi(g)) == "Kept";
    }));
}

size_t karakterSayisi(const std::string& metin) {
    // Every byte but a continuation byte begins a character.
    return static_cast<size_t>(
        std::count_if(metin.begin(), metin.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool parolaUygun(const std::string& parola, const std::string& tekrar) {
    return parola == tekrar && karakterSayisi(parola) >= kParolaEnAz;
}

std::optional<std::string> oncelikYolu(const std::string& klasor, const std::vector<std::string>& kaynaklar) {
    if (klasor.empty() || klasor[0] != '/') return std::nullopt;
    std::string gercek = Yedekleme::gercekYol(klasor);
    for (const auto& kaynak : kaynaklar) {
        if (kaynak.empty() || kaynak[0] != '/') continue;
        std::string kok = Yedekleme::gercekYol(kaynak);
        if (!Yedekleme::altinda(gercek, kok)) continue;
        std::string kalan = gercek.substr(kok == "/" ? 0 : kok.size());
        if (kok == "/" && kalan == "/") kalan.clear();
        std::string bas = std::filesystem::path(kaynak).lexically_normal().string();
        while (bas.size() > 1 && bas.back() == '/') bas.pop_back();
        if (bas == "/" && !kalan.empty()) bas.clear();
        return bas + kalan;
    }
    return std::nullopt;
}

std::vector<std::string> haricSatirlari(const std::string& metin) {
    std::vector<std::string> satirlar;
    for (auto& s : Metin::bol(metin, '\n', false)) {
        if (!s.empty() && s.back() == '\r') s.pop_back();
        if (!Metin::kirp(s).empty()) satirlar.push_back(s);
    }
    return satirlar;
}

std::vector<IlkAdimDurumu> ilkAdimlar(const IlkDurum& k) {
    // A backup made proves the image, even while the disk is away.
    bool imaj = k.yedekVar ? k.imajVar != false : k.imajVar == true;
    if (k.diskSecili && imaj && k.klasorVar && k.yedekVar) return {};
    return {{IlkAdim::disk, k.diskSecili},
            {IlkAdim::imaj, k.diskSecili && imaj},
            {IlkAdim::klasor, k.klasorVar},
            {IlkAdim::yedek, k.yedekVar}};
}

}  // namespace Kurallar
