#include "tests/support/SahteArac.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "core/Dosya.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

std::string tirnak(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

SahteArac::SahteArac(std::string klasor, std::string ad)
    : klasor_(std::move(klasor)), ad_(std::move(ad)), kayit_(klasor_ + "/.sahte/" + ad_) {
    fs::remove_all(kayit_);
    fs::create_directories(kayit_ + "/cagri");
    yaz();
}

SahteArac& SahteArac::cevap(const std::string& cikti, int kod) {
    cikti_ = cikti;
    kod_ = kod;
    yaz();
    return *this;
}

SahteArac& SahteArac::ilkHatalar(int n, const std::string& cikti, int kod) {
    hataSayisi_ = n;
    hataCikti_ = cikti;
    hataKod_ = kod;
    yaz();
    return *this;
}

SahteArac& SahteArac::girdiKaydet(bool kaydet) {
    girdi_ = kaydet;
    yaz();
    return *this;
}

SahteArac& SahteArac::betik(const std::string& sh) {
    betik_ = sh;
    yaz();
    return *this;
}

void SahteArac::yaz() const {
    TestOrtami::dosyaYaz(kayit_ + "/cevap", cikti_);
    TestOrtami::dosyaYaz(kayit_ + "/hata", hataCikti_);
    std::string k = tirnak(kayit_);
    std::string s = "#!/bin/sh\n"
                    "k=" + k + "\n"
                    "i=1\n"
                    "while ! mkdir \"$k/cagri/$i\" 2>/dev/null; do i=$((i+1)); done\n"
                    "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$k/cagri/$i/args\"\n";
    if (girdi_) s += "cat > \"$k/cagri/$i/girdi\"\n";
    s += betik_ + "\n";
    s += "if [ \"$i\" -le " + std::to_string(hataSayisi_) + " ]; then cat \"$k/hata\"; exit " + std::to_string(hataKod_) + "; fi\n";
    s += "cat \"$k/cevap\"\nexit " + std::to_string(kod_) + "\n";
    std::string gecici = yol() + ".yeni";
    TestOrtami::dosyaYaz(gecici, s);
    ::chmod(gecici.c_str(), 0755);
    fs::rename(gecici, yol());
}

std::vector<Cagri> SahteArac::cagrilar() const {
    std::vector<std::pair<int, Cagri>> liste;
    for (const auto& e : fs::directory_iterator(kayit_ + "/cagri")) {
        Cagri c;
        std::string args = baytlariOku(e.path().string() + "/args").value_or("");
        size_t bas = 0;
        for (size_t i = 0; i < args.size(); ++i)
            if (args[i] == '\0') {
                c.args.push_back(args.substr(bas, i - bas));
                bas = i + 1;
            }
        c.girdi = baytlariOku(e.path().string() + "/girdi").value_or("");
        liste.emplace_back(std::stoi(e.path().filename().string()), std::move(c));
    }
    std::sort(liste.begin(), liste.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<Cagri> sonuc;
    for (auto& [n, c] : liste) sonuc.push_back(std::move(c));
    return sonuc;
}
