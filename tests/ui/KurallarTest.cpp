// The window application's rules, without a window: start section and zoom,
// tray symbol and status line, speed samples, the old-backup reminder and
// asking again after a postponement.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TestOrtami.hpp"
#include "backup/Baslik.hpp"
#include "ui/Kurallar.hpp"

using namespace Kurallar;
using std::chrono::seconds;

namespace {

const Saat::Zaman t0 = Saat::Zaman{} + std::chrono::hours(24 * 20000);

Anlik anlik(const std::string& asama, const std::string& sonuc = "") {
    Anlik a;
    a.asama = asama;
    a.sonuc = sonuc;
    return a;
}

}  // namespace

TEST(Kurallar, TheStartSectionAndZoomComeFromTheirRawValuesElseTheDefault) {
    EXPECT_EQ(bolum("gunluk"), Bolum::gunluk);
    EXPECT_EQ(bolum("geriYukle"), Bolum::geriYukle);
    for (const char* yanlis : {"", "Gunluk", "log", "genel ", static_cast<const char*>(nullptr)})
        EXPECT_EQ(bolum(yanlis), Bolum::genel) << (yanlis ? yanlis : "(unset)");
    EXPECT_EQ(olcek("yil"), Olcek::yil);
    EXPECT_EQ(olcek("tumu"), Olcek::tumu);
    for (const char* yanlis : {"", "year", "Gun", static_cast<const char*>(nullptr)})
        EXPECT_EQ(olcek(yanlis), Olcek::ay) << (yanlis ? yanlis : "(unset)");
    EXPECT_EQ(olcekSuresi(Olcek::ay), 31 * 86400.0);
    EXPECT_FALSE(olcekSuresi(Olcek::tumu));
}

TEST(Kurallar, TheTraySymbolAndStatusLineFollowTheStage) {
    struct {
        Anlik a;
        bool mesgul;
        const char* sembol;
        const char* satir;  // "" for none
    } durumlar[] = {
        {anlik("esitleme"), false, "arrow.triangle.2.circlepath", ""},
        {[] { auto a = anlik("esitleme"); a.duraklatildi = true; return a; }(), false, "pause.circle", ""},
        {anlik("bosta", "hata"), false, "exclamationmark.triangle", ""},
        {anlik("prova", "hata"), false, "externaldrive.badge.timemachine", ""},
        {anlik("bosta", "bitti"), false, "externaldrive.badge.timemachine", ""},
        {[] { auto a = anlik("esitleme"); a.calisiyor = true; a.diskBagli = true; return a; }(), false,
         "arrow.triangle.2.circlepath", "Backup in progress: do not unplug the disk"},
        {[] { auto a = anlik("bosta"); a.diskBagli = true; return a; }(), true, "externaldrive.badge.timemachine",
         "Backup in progress: do not unplug the disk"},
        {[] { auto a = anlik("bosta"); a.diskBagli = true; return a; }(), false, "externaldrive.badge.timemachine",
         "Eject the disk before unplugging it"},
    };
    for (const auto& d : durumlar) {
        EXPECT_STREQ(menuSembolu(d.a), d.sembol) << d.a.asama;
        auto s = durumSatiri(d.a, d.mesgul);
        EXPECT_EQ(s ? s->metin : "", d.satir) << d.a.asama;
        if (s) {
            EXPECT_EQ(s->kirmizi, std::string(d.satir).starts_with("Backup"));
        }
    }
}

TEST(Kurallar, SpeedIsMeasuredOverMoreThanFiveSecondsAndTheChartKeeps120) {
    HizOlcer h;
    auto kopya = [](double bayt) {
        auto a = anlik("esitleme");
        a.bitenBayt = bayt;
        return a;
    };
    // Every 1.5 s, 3 MB more: nothing until a sample is more than 5 s old.
    std::vector<std::optional<double>> hizlar;
    for (int i = 0; i <= 4; ++i) hizlar.push_back(h.ekle(kopya(i * 3e6), t0 + std::chrono::milliseconds(1500 * i)));
    EXPECT_FALSE(hizlar[0] || hizlar[1] || hizlar[2] || hizlar[3]);
    ASSERT_TRUE(hizlar[4]);
    EXPECT_DOUBLE_EQ(*hizlar[4], 2e6);
    // Bytes going back (a resumed copy counted again) are no negative speed.
    EXPECT_EQ(h.ekle(kopya(0), t0 + seconds(8)), 0.0);
    // Outside the copy pass no sample and no point; old points leave the chart.
    EXPECT_FALSE(h.ekle(anlik("budama"), t0 + seconds(100)));
    EXPECT_EQ(h.gecmis().size(), 2u);
    EXPECT_FALSE(h.ekle(anlik("bosta"), t0 + seconds(127)));
    EXPECT_EQ(h.gecmis().size(), 1u);
    EXPECT_FALSE(h.ekle(anlik("bosta"), t0 + seconds(129)));
    EXPECT_TRUE(h.gecmis().empty());
    EXPECT_FALSE(h.ekle(kopya(5e6), t0 + seconds(130))) << "old samples were dropped";
}

TEST(Kurallar, TheOldBackupReminderComesAtSevenDaysOnceADay) {
    HatirlatmaDurumu tam{true, true, false, t0 - seconds(7 * 86400), "2026-12-06"};
    struct {
        const char* ne;
        HatirlatmaDurumu d;
        std::string bugun;
        std::optional<int> gun;
    } durumlar[] = {
        {"seven days", tam, "2026-12-07", 7},
        {"already today", tam, "2026-12-06", std::nullopt},
        {"six days and 23 hours",
         [&] { auto d = tam; d.sonYedek = t0 - seconds(7 * 86400 - 3600); return d; }(), "2026-12-07", std::nullopt},
        {"no history", [&] { auto d = tam; d.sonYedek.reset(); return d; }(), "2026-12-07", std::nullopt},
        {"not set up", [&] { auto d = tam; d.kurulu = false; return d; }(), "2026-12-07", std::nullopt},
        {"a permission off", [&] { auto d = tam; d.izinlerTam = false; return d; }(), "2026-12-07", std::nullopt},
        {"permission test mode", [&] { auto d = tam; d.izinDeneme = true; return d; }(), "2026-12-07", std::nullopt},
        {"thirty days", [&] { auto d = tam; d.sonYedek = t0 - seconds(30 * 86400 + 5); return d; }(), "2026-12-07", 30},
    };
    for (const auto& d : durumlar) EXPECT_EQ(eskiYedekGunu(d.d, t0, d.bugun), d.gun) << d.ne;
}

TEST(Kurallar, APostponedBackupIsAskedAgainAfterAnHourAndOnlyOnce) {
    auto ertelenmis = [](Saat::Zaman z) {
        auto a = anlik("bosta");
        a.erteleme = z;
        return a;
    };
    const Saat::Zaman once = t0 - seconds(3600);
    TekrarSorDurumu hazir{true, true, false, true, false, std::nullopt};
    struct {
        const char* ne;
        Anlik a;
        TekrarSorDurumu d;
        bool sor;
    } durumlar[] = {
        {"an hour ago", ertelenmis(once), hazir, true},
        {"59 minutes ago", ertelenmis(t0 - seconds(3599)), hazir, false},
        {"already asked about it", ertelenmis(once), [&] { auto d = hazir; d.hatirlatilan = once; return d; }(), false},
        {"asked about an older one", ertelenmis(once),
         [&] { auto d = hazir; d.hatirlatilan = once - seconds(60); return d; }(), true},
        {"nothing postponed", anlik("bosta"), hazir, false},
        {"a run is going", [&] { auto a = ertelenmis(once); a.asama = "prova"; return a; }(), hazir, false},
        {"the question is open", ertelenmis(once), [&] { auto d = hazir; d.soruAcik = true; return d; }(), false},
        {"before the first refresh", ertelenmis(once), [&] { auto d = hazir; d.ilkBakis = false; return d; }(), false},
        {"still starting", ertelenmis(once), [&] { auto d = hazir; d.hazir = false; return d; }(), false},
        {"a test state folder", ertelenmis(once), [&] { auto d = hazir; d.dokunulur = false; return d; }(), false},
        {"ejecting", ertelenmis(once), [&] { auto d = hazir; d.mesgul = true; return d; }(), false},
    };
    for (const auto& d : durumlar) EXPECT_EQ(tekrarSor(d.a, d.d, t0), d.sor) << d.ne;
}

TEST(Kurallar, ARestoreRecordIsLabelledByItsStateAndItsKeptCopy) {
    std::string var = TestOrtami::kok() + "/mektup (replaced 2026-01-01).txt";
    TestOrtami::dosyaYaz(var, "x");
    auto kayit = [](const std::string& durum, std::optional<std::string> damgali, double zaman = 0) {
        GeriYukleme g;
        g.durum = durum;
        g.damgali = std::move(damgali);
        g.zaman = zaman;
        return g;
    };
    struct {
        GeriYukleme g;
        const char* etiket;
        bool gosterilir;
    } durumlar[] = {
        {kayit("geri-alindi", var), "Undone", false},
        {kayit("cope-atildi", var), "In the Trash", false},
        {kayit("duruyor", std::nullopt), "Restored (no copy)", true},
        {kayit("duruyor", var), "Kept", true},
        {kayit("duruyor", TestOrtami::kok() + "/gitti.txt"), "No longer there", true},
    };
    for (const auto& d : durumlar) {
        EXPECT_STREQ(kayitEtiketi(d.g), d.etiket);
        EXPECT_EQ(kayitGosterilir(d.g, false), d.gosterilir) << d.etiket;
        EXPECT_TRUE(kayitGosterilir(d.g, true)) << d.etiket;
    }
    // Only kept copies older than 30 days count for the overview's reminder.
    double simdi = std::chrono::duration<double>(t0.time_since_epoch()).count();
    std::vector<GeriYukleme> kayitlar = {
        kayit("duruyor", var, simdi - 31 * 86400),
        kayit("duruyor", var, simdi - 29 * 86400),
        kayit("duruyor", TestOrtami::kok() + "/gitti.txt", simdi - 40 * 86400),
        kayit("cope-atildi", var, simdi - 40 * 86400),
        kayit("duruyor", var, simdi - 45 * 86400),
    };
    EXPECT_EQ(eskiKayitSayisi(kayitlar, t0), 2);
}

TEST(Kurallar, TheProgressTitleFollowsTheStageThenTheOutcomeThenTheDisk) {
    struct {
        const char *asama, *sonuc;
        bool duraklatildi, diskBagli;
        const char* baslik;
    } durumlar[] = {
        {"basliyor", "hata", false, false, "Starting…"},
        {"prova", "", false, false, "Checking what changed…"},
        {"soru", "", false, false, "Waiting for your answer"},
        {"esitleme", "", false, true, "Backing up"},
        {"esitleme", "", true, true, "Paused"},
        {"budama", "", false, false, "Thinning out old backups…"},
        {"sikistirma", "", false, false, "Compacting the backup…"},
        {"kurtulus", "", false, false, "Writing the recovery files to the disk…"},
        {"cikariliyor", "", false, false, "Ejecting the disk…"},
        {"bosta", "bitti", false, false, "Last backup completed"},
        {"bosta", "hata", false, true, "Last backup failed"},
        {"bosta", "durduruldu", false, false, "Stopped: the next backup continues where it stopped"},
        {"bosta", "iptal", false, true, "Ready"},
        {"bosta", "", false, false, "Connect the backup disk to back up"},
    };
    for (const auto& d : durumlar) {
        Anlik a = anlik(d.asama, d.sonuc);
        a.duraklatildi = d.duraklatildi;
        a.diskBagli = d.diskBagli;
        EXPECT_EQ(Yedekleme::baslik(a), d.baslik) << d.asama << " " << d.sonuc;
    }
    // The copy pass's fraction stays within 0..1.
    auto oran = [](double biten, double toplam) {
        Anlik a;
        a.bitenBayt = biten;
        a.toplamBayt = toplam;
        return Yedekleme::oran(a);
    };
    EXPECT_EQ(oran(5, 0), 0);
    EXPECT_EQ(oran(5, -1), 0);
    EXPECT_EQ(oran(15, 10), 1.0);
    EXPECT_DOUBLE_EQ(oran(2.5, 10), 0.25);
    EXPECT_EQ(Yedekleme::oran(std::nullopt), 0);
}

TEST(Kurallar, ThePasswordNeedsEightCharactersTypedTheSameTwice) {
    struct {
        const char *ne, *parola, *tekrar;
        bool uygun;
    } durumlar[] = {
        {"seven", "abcdefg", "abcdefg", false},
        {"eight", "abcdefgh", "abcdefgh", true},
        {"empty", "", "", false},
        {"repeat differs", "abcdefgh", "abcdefgH", false},
        {"repeat shorter", "abcdefghi", "abcdefgh", false},
        {"repeat empty", "abcdefgh", "", false},
        // Seven letters of two bytes each: fourteen bytes, still seven characters.
        {"seven two-byte letters", "şğüöçıİ", "şğüöçıİ", false},
        {"eight two-byte letters", "şğüöçıİé", "şğüöçıİé", true},
        // Two four-byte characters are eight bytes, two characters.
        {"two emoji", "🔒🔑", "🔒🔑", false},
        {"six letters and two emoji", "abcdef🔒🔑", "abcdef🔒🔑", true},
        {"spaces count", "a b c d ", "a b c d ", true},
        {"same letters, other normal form", "ab\u00e7defgh", "abc\u0327defgh", false},
    };
    for (const auto& d : durumlar) EXPECT_EQ(parolaUygun(d.parola, d.tekrar), d.uygun) << d.ne;
}

TEST(Kurallar, APriorityFolderMustLieInABackedUpFolder) {
    namespace fs = std::filesystem;
    const std::string k = TestOrtami::kok() + "/oncelik";
    for (const char* d : {"/a/b/Proje/alt", "/a/bc", "/a/b2", "/baska/yer", "/gercek/Belgeler/Is"})
        fs::create_directories(k + d);
    // A backed-up folder reached through a link, and a link that leads into one.
    fs::create_directory_symlink(k + "/gercek/Belgeler", k + "/Belgeler");
    fs::create_directory_symlink(k + "/a/b/Proje", k + "/kisayol");
    const std::vector<std::string> kaynaklar = {k + "/a/b", k + "/Belgeler/"};
    struct {
        std::string klasor;
        std::optional<std::string> beklenen;
    } durumlar[] = {
        {k + "/a/b/Proje", k + "/a/b/Proje"},
        {k + "/a/b/Proje/alt/", k + "/a/b/Proje/alt"},
        {k + "/a/b", k + "/a/b"},
        {k + "/a/bc", std::nullopt},
        {k + "/a/b2", std::nullopt},
        {k + "/a", std::nullopt},
        {k + "/baska/yer", std::nullopt},
        {k + "/a/b/../bc", std::nullopt},
        {k + "/kisayol/alt", k + "/a/b/Proje/alt"},
        {k + "/gercek/Belgeler/Is", k + "/Belgeler/Is"},
        {k + "/Belgeler/Is", k + "/Belgeler/Is"},
        {"Belgeler/Is", std::nullopt},
    };
    for (const auto& d : durumlar) EXPECT_EQ(oncelikYolu(d.klasor, kaynaklar), d.beklenen) << d.klasor;
    EXPECT_EQ(oncelikYolu(k + "/a/b/Proje", {}), std::nullopt);
    EXPECT_EQ(oncelikYolu("/usr/share", {"/"}), "/usr/share");
}

TEST(Kurallar, ExclusionLinesKeepTheirSpellingAndDropBlankOnes) {
    EXPECT_EQ(haricSatirlari("node_modules/\n\n  \n*.tmp\r\n.DS_Store"),
              (std::vector<std::string>{"node_modules/", "*.tmp", ".DS_Store"}));
    EXPECT_EQ(haricSatirlari(" a b/\n"), std::vector<std::string>{" a b/"});
    EXPECT_TRUE(haricSatirlari("\n\n").empty());
}

TEST(Kurallar, TheFirstStartLeadsThroughTheStepsNotYetTaken) {
    using enum Kurallar::IlkAdim;
    struct Durum {
        Kurallar::IlkDurum k;
        std::vector<Kurallar::IlkAdim> bitenler;
        bool gosterilir;
    };
    const std::vector<Durum> durumlar = {
        {{}, {}, true},
        {{.diskSecili = true}, {disk}, true},
        // The disk away: whether the image is there is not known yet.
        {{.diskSecili = true, .klasorVar = true}, {disk, klasor}, true},
        {{.diskSecili = true, .imajVar = false, .klasorVar = true}, {disk, klasor}, true},
        {{.diskSecili = true, .imajVar = true}, {disk, imaj}, true},
        {{.diskSecili = true, .imajVar = true, .klasorVar = true}, {disk, imaj, klasor}, true},
        {{.diskSecili = true, .imajVar = true, .klasorVar = true, .yedekVar = true}, {}, false},
        // A backup made proves the image while the disk is away...
        {{.diskSecili = true, .klasorVar = true, .yedekVar = true}, {}, false},
        // ...but not once the disk is seen without it, nor without a disk chosen.
        {{.diskSecili = true, .imajVar = false, .klasorVar = true, .yedekVar = true}, {disk, klasor, yedek}, true},
        {{.imajVar = true, .klasorVar = true, .yedekVar = true}, {klasor, yedek}, true},
    };
    for (const auto& d : durumlar) {
        auto adimlar = Kurallar::ilkAdimlar(d.k);
        EXPECT_EQ(!adimlar.empty(), d.gosterilir);
        if (adimlar.empty()) continue;
        std::vector<Kurallar::IlkAdim> sira, bitenler;
        for (const auto& a : adimlar) {
            sira.push_back(a.adim);
            if (a.bitti) bitenler.push_back(a.adim);
        }
        EXPECT_EQ(sira, (std::vector{disk, imaj, klasor, yedek}));
        EXPECT_EQ(bitenler, d.bitenler);
    }
}

TEST(Kurallar, TheTimelineShowsTheZoomsSpanUpToTheNewestCopyAndKeepsTheSelectedOneInView) {
    const double gun = 86400, t = 1.8e9;
    // Copies 400, 40, 3 and 0 days before the newest.
    std::vector<double> z = {t - 400 * gun, t - 40 * gun, t - 3 * gun, t};
    struct {
        const char* ne;
        Olcek o;
        std::optional<size_t> secili;
        std::vector<bool> gorunur;  // which copies lie in the stretch
    } durumlar[] = {
        {"day", Olcek::gun, std::nullopt, {false, false, false, true}},
        {"week", Olcek::hafta, std::nullopt, {false, false, true, true}},
        {"month, nothing selected", Olcek::ay, std::nullopt, {false, false, true, true}},
        {"month, an older copy selected", Olcek::ay, 1, {false, true, false, false}},
        {"year", Olcek::yil, std::nullopt, {false, true, true, true}},
        {"year, the oldest selected", Olcek::yil, 0, {true, false, false, false}},
        {"all", Olcek::tumu, std::nullopt, {true, true, true, true}},
        {"day, the newest selected", Olcek::gun, 3, {false, false, false, true}},
    };
    for (const auto& d : durumlar) {
        Aralik a = cizelgeAraligi(d.o, z, d.secili);
        if (auto s = olcekSuresi(d.o)) {
            EXPECT_DOUBLE_EQ(a.son - a.bas, *s) << d.ne;
        }
        for (size_t i = 0; i < z.size(); ++i)
            EXPECT_EQ(z[i] >= a.bas && z[i] <= a.son, d.gorunur[i]) << d.ne << ", copy " << i;
        // No tick on the very edge.
        for (size_t i = 0; i < z.size(); ++i) {
            EXPECT_NE(z[i], a.bas) << d.ne;
            EXPECT_NE(z[i], a.son) << d.ne;
        }
    }
    // A lone copy under "all": a day around it.
    Aralik tek = cizelgeAraligi(Olcek::tumu, {t}, std::nullopt);
    EXPECT_LT(tek.bas, t);
    EXPECT_GT(tek.son, t);
    EXPECT_GE(tek.son - tek.bas, gun);
}

TEST(Kurallar, AClickOnTheTimelineHitsTheNearestTickWithinReach) {
    // 1000 s across 100 px (and 10 px free at each side): 10 s a pixel.
    Aralik a{0, 1000};
    std::vector<double> z = {-50, 100, 130, 500, 505, 1200};
    EXPECT_DOUBLE_EQ(cizelgeX(a, 500, 120, 10), 60);
    struct {
        double x;
        std::optional<size_t> beklenen;
        const char* ne;
    } durumlar[] = {
        {20, 1, "on the tick"},
        {21, 1, "nearer the first of two close ticks"},
        {25, 2, "the second one"},
        {40, std::nullopt, "between ticks, out of reach"},
        {60.25, 4, "equal reach: the newer copy"},
        {5, std::nullopt, "a copy before the stretch is not hit"},
        {115, std::nullopt, "nor one after it"},
    };
    for (const auto& d : durumlar) EXPECT_EQ(cizelgeVurus(a, z, d.x, 120, 10, 4), d.beklenen) << d.ne;
    EXPECT_EQ(cizelgeVurus(a, {}, 20, 120, 10, 4), std::nullopt);
}
