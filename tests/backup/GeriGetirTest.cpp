#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "backup/Calisma.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"
#include "temel/Dosya.hpp"
#include "tests/backup/YedekOrtami.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> klasorIcerigi(const std::string& klasor) {
    std::vector<std::string> adlar;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(klasor, ec)) adlar.push_back(e.path().filename().string());
    std::sort(adlar.begin(), adlar.end());
    return adlar;
}

}  // namespace

// A file brought back never lands on anything that is there (a file, a link
// to nowhere, a folder), also when it appears while the copy is being made;
// nothing half-copied is left behind.
TEST(GeriGetir, NeverReplacesWhatIsThereOrAppearsWhileCopying) {
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
        std::function<void()> hazirla;
        int getirilen;
        std::string sonra;  // what the target holds then ("" none or not a file)
        std::vector<std::string> klasorde;
    };
    for (const auto& d : std::vector<Durum>{
             {"absent", kopyala, [] {}, 1, "yedek\n", {"not.txt"}},
             {"created during the copy", "printf 'yeni yazildi' > '" + hedef + "'; " + kopyala, [] {}, 0,
              "yeni yazildi", {"not.txt"}},
             {"a file there before", kopyala, [&] { TestOrtami::dosyaYaz(hedef, "zaten var"); }, 0, "zaten var",
              {"not.txt"}},
             {"a link to nowhere there", kopyala, [&] { fs::create_symlink("yok", hedef); }, 0, "", {"not.txt"}},
             {"a folder there", kopyala, [&] { fs::create_directories(hedef + "/ic"); }, 0, "", {"not.txt"}},
             {"copier fails half-way", "printf yar > \"$2\"; echo 'ditto: disk full'; exit 1; ", [] {}, 0, "", {}},
         }) {
        fs::remove_all(kaynak);
        fs::create_directories(kaynak + "/alt");
        d.hazirla();
        SahteArac ditto(TestOrtami::araclar(), "ditto");
        ditto.betik(d.ditto);
        auto [getirilen, atlanan] = Yedekleme::geriGetir(ozet, Karar{"yedekle", {0}}, ayarlar);
        EXPECT_EQ(getirilen, d.getirilen) << d.ad;
        EXPECT_EQ(atlanan, 1 - d.getirilen) << d.ad;
        EXPECT_EQ(oku(hedef).value_or(""), d.sonra) << d.ad;
        EXPECT_EQ(klasorIcerigi(kaynak + "/alt"), d.klasorde) << d.ad;
    }
}

// The earliest layout's DRIVE/ becomes the first dated copy, dated by its
// last backup; an empty old folder goes, one that cannot move stays, and a
// failed move leaves no empty copy behind.
TEST(EskiDuzen, DriveBecomesTheFirstDatedCopyOrStays) {
    const std::string mnt = Yol::mnt(), ilk = "2026-01-01_000000";
    Saat::SahteSaat saat{std::chrono::system_clock::from_time_t(1765000000)};
    Saat::kaynakKur(&saat);
    const std::string tasindi = Kopyalar::yeniAd(std::chrono::system_clock::from_time_t(1700000000));
    struct Durum {
        std::string ad;
        std::function<void()> hazirla;
        std::vector<std::string> kokte, kopyalar;  // at the image's root and the copies afterwards
        std::string drive;                         // where DRIVE/ is then
        std::vector<std::string> gunlukte;
    };
    for (const auto& d : std::vector<Durum>{
             {"moved, dated by the last backup", [&] { YedekOrtami::dosya(mnt + "/_son-yedek.txt", "x", 1700000000); },
              {"_son-yedek.txt", "yedekler"}, {tasindi}, Yol::yedekler() + "/" + tasindi + "/DRIVE",
              {"old layout: DRIVE/ \u2192 yedekler/" + tasindi}},
             {"a dated copy already there",
              [&] {
                  fs::create_directories(Yol::yedekler() + "/" + ilk);
                  TestOrtami::dosyaYaz(mnt + "/_eski/b", "b");
              },
              {"DRIVE", "_eski", "yedekler"}, {ilk}, mnt + "/DRIVE",
              {"NOTE: old DRIVE/ kept in the image (not empty)", "NOTE: old _eski/ kept in the image (not empty)"}},
             {"the copies' folder inside DRIVE: the move fails",
              [&] { fs::create_directory_symlink("DRIVE/yedekler", Yol::yedekler()); }, {"DRIVE", "yedekler"}, {},
              mnt + "/DRIVE", {"WARNING: old DRIVE/ could not be moved: "}},
         }) {
        fs::remove_all(mnt);
        TestOrtami::dosyaYaz(mnt + "/DRIVE/Belgeler/a", "a");
        fs::create_directories(mnt + "/DRIVE/yedekler");
        TestOrtami::dosyaYaz(mnt + "/_eski/.DS_Store", "");
        d.hazirla();
        fs::remove(Yol::gunluk());
        Yedekleme::eskiDuzeniTasi(Ayarlar{});
        EXPECT_EQ(klasorIcerigi(mnt), d.kokte) << d.ad;
        EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), d.kopyalar) << d.ad;
        EXPECT_EQ(oku(d.drive + "/Belgeler/a"), "a") << d.ad;
        for (const auto& satir : d.gunlukte)
            EXPECT_NE(TestOrtami::gunluk().find(satir), std::string::npos) << d.ad << ": " << TestOrtami::gunluk();
    }
    EXPECT_TRUE(klasorIcerigi(Yol::yedekler()).empty()) << "no empty dated copy is left inside DRIVE";
    Saat::kaynakKur(nullptr);
}
