#include "recovery/Programlar.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "core/Gunluk.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Plist.hpp"
#include "core/Icu.hpp"

namespace fs = std::filesystem;

namespace Programlar {
namespace {

std::vector<std::string> adlar(const std::string& klasor) {
    std::vector<std::string> sonuc;
    std::error_code ec;
    for (fs::directory_iterator it(klasor, ec), son; !ec && it != son; it.increment(ec))
        sonuc.push_back(it->path().filename().string());
    std::sort(sonuc.begin(), sonuc.end());
    return sonuc;
}

bool uygulamaMi(const std::string& ad) { return ad.ends_with(".app"); }

std::string uygulamaAdi(const std::string& yol) {
    std::string ad = fs::path(yol).filename().string();
    for (size_t p; (p = ad.find(".app")) != std::string::npos;) ad.erase(p, 4);
    return ad;
}

// Bundles keep their Info.plist in Contents/; shallow ones at the top.
nlohmann::json bilgi(const std::string& yol) {
    for (const char* yer : {"/Contents/Info.plist", "/Info.plist"})
        if (auto p = Plist::dosyaOku(yol + yer); p && p->is_object()) return *p;
    return nlohmann::json::object();
}

bool magazadan(const std::string& yol) {
    std::error_code ec;
    return fs::exists(yol + "/Contents/_MASReceipt/receipt", ec);
}

// A subfolder holds one product: its main application is the one named
// like the folder; without such a match every application counts.
std::vector<std::string> altKlasorUygulamalari(const std::string& klasor) {
    std::string klasorAdi = fs::path(klasor).filename().string();
    std::vector<std::string> hepsi, eslesen;
    for (const auto& ad : adlar(klasor)) {
        if (!uygulamaMi(ad)) continue;
        hepsi.push_back(klasor + "/" + ad);
        if (Icu::iceriyor(klasorAdi, ad.substr(0, ad.size() - 4))) eslesen.push_back(hepsi.back());
    }
    return eslesen.empty() ? hepsi : eslesen;
}

std::vector<std::string> uygulamaYollari(const std::string& kok) {
    std::vector<std::string> yollar;
    for (const auto& ad : adlar(kok)) {
        if (ad.starts_with(".")) continue;
        std::string yol = kok + "/" + ad;
        std::error_code ec;
        if (uygulamaMi(ad)) yollar.push_back(yol);
        else if (fs::is_directory(yol, ec))
            for (auto& y : altKlasorUygulamalari(yol)) yollar.push_back(y);
    }
    return yollar;
}

std::optional<Program> casktanProgram(const nlohmann::json& cask, std::map<std::string, std::string>& harita) {
    auto token = Plist::metin(cask, "token");
    if (!token) return std::nullopt;
    for (const auto& eser : Plist::dizi(cask, "artifacts"))
        for (const auto& uygulama : Plist::dizi(eser, "app")) {
            auto ad = uygulama.is_string() ? std::optional(uygulama.get<std::string>()) : Plist::metin(uygulama, "target");
            if (ad) harita[fs::path(*ad).filename().string()] = *token;
        }
    Program p;
    p.id = "cask:" + *token;
    auto isimler = Plist::dizi(cask, "name");
    p.ad = !isimler.empty() && isimler[0].is_string() ? isimler[0].get<std::string>() : *token;
    p.kaynak = Kaynak::homebrew;
    p.surum = Plist::metin(cask, "installed");
    p.brew = token;
    return p;
}

// Formulae pulled in as dependencies are left out.
std::optional<Program> formuldenProgram(const nlohmann::json& formul) {
    auto ad = Plist::metin(formul, "full_name");
    auto kurulu = Plist::dizi(formul, "installed");
    if (!ad || kurulu.empty() || Plist::mantik(kurulu[0], "installed_on_request") != true) return std::nullopt;
    Program p;
    p.id = "formula:" + *ad;
    p.ad = *ad;
    p.kaynak = Kaynak::arac;
    p.surum = Plist::metin(kurulu[0], "version");
    p.brew = ad;
    return p;
}

}  // namespace

std::string varsayilanKok() {
    if (const char* k = std::getenv("BRIMVALE_UYGULAMALAR"); k && *k) return k;
    return "/Applications";
}

std::optional<std::string> brewYolu() {
    for (const char* aday : {"/opt/homebrew/bin/brew", "/usr/local/bin/brew", "/home/linuxbrew/.linuxbrew/bin/brew"}) {
        std::string yol = aracYolu(aday);
        std::error_code ec;
        if (fs::is_regular_file(yol, ec) && ::access(yol.c_str(), X_OK) == 0) return yol;
    }
    return std::nullopt;
}

std::pair<std::map<std::string, std::string>, std::vector<Program>> homebrew() {
    std::map<std::string, std::string> harita;
    std::vector<Program> programlar;
    auto brew = brewYolu();
    if (!brew) return {};
    KomutSonucu s = komut("/usr/bin/env", {"HOMEBREW_NO_AUTO_UPDATE=1", "HOMEBREW_NO_ANALYTICS=1", "HOMEBREW_NO_ENV_HINTS=1",
                                     *brew, "info", "--json=v2", "--installed"},
                    std::string());
    nlohmann::json cevap = s.kod == 0 ? nlohmann::json::parse(s.cikti, nullptr, false) : nlohmann::json();
    if (!cevap.is_object()) {
        Gunluk::yaz("WARNING: brew info failed (" + std::to_string(s.kod) + ")");
        return {};
    }
    for (const auto& cask : Plist::dizi(cevap, "casks"))
        if (auto p = casktanProgram(cask, harita)) programlar.push_back(*p);
    for (const auto& formul : Plist::dizi(cevap, "formulae"))
        if (auto p = formuldenProgram(formul)) programlar.push_back(*p);
    return {harita, programlar};
}

std::vector<Program> bul(const std::string& kok) {
    auto yollar = uygulamaYollari(kok);
    auto [harita, brewProgramlari] = homebrew();
    std::vector<Program> sonuc;
    std::set<std::string> bulunanCasklar;
    for (const auto& yol : yollar) {
        Program p = elle(yol);
        p.elle = false;
        std::string kimlik = p.kimlik.value_or("");
        if (kimlik.starts_with("com.apple.") && p.kaynak != Kaynak::appStore) continue;
        if (kimlik.starts_with("com.ondrak.brimvale")) continue;
        if (Icu::iceriyor(p.ad, "uninstall") || Icu::iceriyor(p.ad, "kaldır")) continue;
        if (auto it = harita.find(fs::path(yol).filename().string()); it != harita.end()) {
            p.brew = it->second;
            bulunanCasklar.insert(it->second);
            if (p.kaynak != Kaynak::appStore) p.kaynak = Kaynak::homebrew;
        }
        sonuc.push_back(std::move(p));
    }
    for (auto& p : brewProgramlari)
        if (p.kaynak != Kaynak::homebrew || !bulunanCasklar.count(*p.brew)) sonuc.push_back(std::move(p));
    return sonuc;
}

Program elle(const std::string& yol) {
    nlohmann::json b = bilgi(yol);
    Program p;
    p.id = "app:" + yol;
    p.ad = uygulamaAdi(yol);
    p.kaynak = magazadan(yol) ? Kaynak::appStore : Kaynak::indirme;
    p.yol = yol;
    p.kimlik = Plist::metin(b, "CFBundleIdentifier");
    p.surum = Plist::metin(b, "CFBundleShortVersionString");
    p.elle = true;
    return p;
}

std::vector<Program> secili(const Ayarlar& ayarlar, const std::optional<std::vector<Program>>& bulunan) {
    std::vector<Program> liste = bulunan ? *bulunan : bul();
    std::set<std::string> cikar(ayarlar.programCikar.begin(), ayarlar.programCikar.end());
    std::erase_if(liste, [&](const Program& p) { return cikar.count(p.id) > 0; });
    for (const auto& yol : ayarlar.programEk) {
        Program p = elle(yol);
        if (std::none_of(liste.begin(), liste.end(), [&](const Program& q) { return q.id == p.id; }))
            liste.push_back(std::move(p));
    }
    std::stable_sort(liste.begin(), liste.end(), [](const Program& a, const Program& b) { return Icu::once(a.ad, b.ad); });
    return liste;
}

std::string metin(const std::vector<Program>& programlar) {
    std::string s;
    for (const auto& p : programlar) {
        s += p.ad;
        if (p.surum) s += " " + *p.surum;
        s += "  \u2014  " + p.kaynakAdi();
        if (p.brew) s += " (" + *p.brew + ")";
        s += "\n";
    }
    return s;
}

std::string brewfile(const std::vector<Program>& programlar) {
    std::string formuller, casklar;
    for (const auto& p : programlar) {
        if (!p.brew) continue;
        if (p.kaynak == Kaynak::arac) formuller += "brew \"" + *p.brew + "\"\n";
        if (p.kaynak == Kaynak::homebrew) casklar += "cask \"" + *p.brew + "\"\n";
    }
    return formuller + casklar;
}

}  // namespace Programlar
