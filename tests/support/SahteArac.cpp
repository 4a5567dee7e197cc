#include "tests/support/SahteArac.hpp"

#include <filesystem>

#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

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
    // Each call takes the lowest free number, so the calls run 1, 2, ... without a gap.
    std::string s = "#!/bin/sh\nk='" + kayit_ + "'\ni=1\n"
                    "while ! mkdir \"$k/cagri/$i\" 2>/dev/null; do i=$((i+1)); done\n"
                    "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$k/cagri/$i/args\"\n";
    if (girdi_) s += "cat > \"$k/cagri/$i/girdi\"\n";
    s += betik_ + "\nif [ \"$i\" -le " + std::to_string(hataSayisi_) + " ]; then cat \"$k/hata\"; exit " +
         std::to_string(hataKod_) + "; fi\ncat \"$k/cevap\"\nexit " + std::to_string(kod_) + "\n";
    // Swapped in whole: the program may be running while it changes.
    atomikYaz(yol(), s, std::nullopt, 0755);
}

std::vector<Cagri> SahteArac::cagrilar() const {
    std::vector<Cagri> liste;
    for (int i = 1; fs::exists(kayit_ + "/cagri/" + std::to_string(i)); ++i) {
        std::string k = kayit_ + "/cagri/" + std::to_string(i);
        auto args = Metin::bol(baytlariOku(k + "/args").value_or(""), '\0', false);
        args.pop_back();  // what follows the last NUL
        liste.push_back({args, baytlariOku(k + "/girdi").value_or("")});
    }
    return liste;
}
