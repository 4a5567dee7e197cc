// Versions across copies that the backup run itself made in a real encrypted
// image on a loop-device disk, as root.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "agent/Kurulum.hpp"
#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "restore/GeriYukle.hpp"
#include "store/Kopyalar.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

TEST(GercekImaj, VersionsAcrossCopiesMadeByTheBackupRun) {
    if (auto e = DenemeDiski::imajEksik(); !e.empty()) GTEST_SKIP() << e;
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    DenemeDiski::yardimcilariKur();
    DenemeDiski disk("BRIMGERI", 128);
    const char* parola = "Geri parolasi 3";
    setenv("BRIMVALE_PAROLA", parola, 1);
    std::string kaynak = TestOrtami::kok() + "/bilgisayar/Belgeler";
    TestOrtami::dosyaYaz(kaynak + "/ayni.txt", "hep ayni\n");
    TestOrtami::dosyaYaz(kaynak + "/arada.txt", "bir gidip gelen\n");
    Ayarlar ayarlar;
    ayarlar.diskUUID = disk.uuid;
    ayarlar.kaynaklar = {kaynak};
    ayarlar.seyrelt = false;
    ayarlar.kaydet();
    Birim birim{disk.uuid, disk.etiket, disk.yol, Disk::toplamYer(disk.yol), Disk::bosYer(disk.yol)};
    ASSERT_EQ(Kurulum::imajOlustur(birim, ayarlar, parola), std::nullopt);

    // Three runs, the middle one without arada.txt; copy names have whole
    // seconds, so each run waits for a new name.
    setenv("BRIMVALE_CEVAP", "yedekle", 1);
    std::string onceki;
    for (int i = 0; i < 3; ++i) {
        while (Kopyalar::yeniAd(Saat::simdi()) == onceki) ::usleep(50000);
        if (i == 1) fs::remove(kaynak + "/arada.txt");
        if (i == 2) TestOrtami::dosyaYaz(kaynak + "/arada.txt", "bir gidip gelen\n");
        if (!Disk::birim(disk.uuid)) disk.yenidenTak();
        auto s = TestOrtami::calistir({"--yedekle"});
        ASSERT_EQ(s.kod, 0) << s.cikti << TestOrtami::gunluk();
        onceki = Kopyalar::yeniAd(Saat::simdi());
    }

    if (!Disk::birim(disk.uuid)) disk.yenidenTak();
    ASSERT_EQ(Disk::imajiBagla(disk.yol + "/" + ayarlar.imajAdi, true, ayarlar), std::nullopt);
    Disk::ImajAyirici ayirici;
    auto kopyalar = Kopyalar::liste(Yol::yedekler());
    ASSERT_EQ(kopyalar.size(), 3u);
    auto ayni = GeriYukle::surumler("Belgeler/ayni.txt");
    ASSERT_EQ(ayni.size(), 1u);
    EXPECT_EQ(ayni[0].kopya, kopyalar[0]);
    EXPECT_EQ(ayni[0].sonKopya, kopyalar[2]);
    EXPECT_EQ(ayni[0].boy, 9);
    auto arada = GeriYukle::surumler("Belgeler/arada.txt");
    ASSERT_EQ(arada.size(), 2u);
    EXPECT_EQ(arada[0].kopya, kopyalar[2]);
    EXPECT_EQ(arada[1].sonKopya, kopyalar[0]);
    EXPECT_EQ(GeriYukle::surumler("Belgeler").size(), 3u);
    EXPECT_EQ(TestOrtami::calistir({"--surumler", "Belgeler/hicbiri"}).cikti, "[]\n");
    EXPECT_EQ(ayirici.ayir(), std::nullopt);
}
