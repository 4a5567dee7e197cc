#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "backup/Calisma.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> klasorIcerigi(const std::string& klasor) {
    std::vector<std::string> adlar;
    for (const auto& e : fs::directory_iterator(klasor)) adlar.push_back(e.path().filename().string());
    std::sort(adlar.begin(), adlar.end());
    return adlar;
}

}  // namespace

// A file brought back never lands on one that is there, also when it appears
// while the copy is being made; nothing half-copied is left behind.
TEST(GeriGetir, NeverReplacesWhatAppearsWhileCopying) {
    std::string kaynak = TestOrtami::kok() + "/bilgisayar/Belgeler";
    std::string hedef = kaynak + "/alt/not.txt";
    Ayarlar ayarlar;
    ayarlar.kaynaklar = {kaynak};
    Ozet ozet;
    ozet.sonYedek = "2024-01-01_100000";
    ozet.silinen = {{0, "Belgeler/alt/not.txt", 6, 0}};
    TestOrtami::dosyaYaz(Yol::yedekler() + "/2024-01-01_100000/Belgeler/alt/not.txt", "yedek\n");

    const std::string kopyala = "cp -p \"$1\" \"$2\" || exit 1; ";
    struct Durum {
        std::string ad, ditto;
        std::optional<std::string> onceden;
        int getirilen, atlanan;
        std::string sonra;
    };
    std::vector<Durum> durumlar = {
        {"absent", kopyala, std::nullopt, 1, 0, "yedek\n"},
        {"created during the copy", "printf 'yeni yazildi' > '" + hedef + "'; " + kopyala, std::nullopt, 0, 1,
         "yeni yazildi"},
        {"there before", kopyala, "zaten var", 0, 1, "zaten var"},
        {"copier fails half-way", "printf yar > \"$2\"; echo 'ditto: disk full'; exit 1; ", std::nullopt, 0, 1, ""},
    };
    for (const auto& d : durumlar) {
        fs::remove_all(kaynak);
        fs::create_directories(kaynak);
        if (d.onceden) TestOrtami::dosyaYaz(hedef, *d.onceden);
        SahteArac ditto(TestOrtami::araclar(), "ditto");
        ditto.betik(d.ditto);
        auto [getirilen, atlanan] = Yedekleme::geriGetir(ozet, Karar{"yedekle", {0}}, ayarlar);
        EXPECT_EQ(getirilen, d.getirilen) << d.ad;
        EXPECT_EQ(atlanan, d.atlanan) << d.ad;
        EXPECT_EQ(oku(hedef).value_or(""), d.sonra) << d.ad;
        std::vector<std::string> beklenen;
        if (!d.sonra.empty()) beklenen = {"not.txt"};
        if (fs::exists(kaynak + "/alt")) {
            EXPECT_EQ(klasorIcerigi(kaynak + "/alt"), beklenen) << d.ad;
        }
    }
}
