#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unicode/locid.h>

#include <algorithm>
#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"
#include "tests/store/SaatDilimi.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using Adlar = std::vector<std::string>;

// Copy names are real local times within the clock's span, in any zone; the
// list holds only those (folders or stray files), oldest first.
TEST(Kopyalar, OnlyRealLocalTimesAreCopyNamesAndTheListHoldsOnlyThem) {
    struct Durum { std::string ad; bool kopya; };
    std::vector<Durum> durumlar = {
        {"2026-12-05_091200", true}, {"2024-02-29_000000", true}, {"2025-12-29_235959", true},
        {"2000-01-01_000000", true}, {"2026-07-15_120030", true}, {"1678-01-01_000000", true},
        {"2261-12-31_235959", true}, {"1677-12-31_235959", false}, {"2262-01-01_000000", false},
        {"2262-04-11_000000", false}, {"9999-12-31_235959", false}, {"0000-01-01_000000", false},
        {"1000-06-15_120000", false}, {"2026-02-30_120000", false}, {"2025-02-29_120000", false},
        {"2026-13-01_000000", false}, {"2026-12-05_240000", false}, {"2026-12-05_126000", false},
        {"2026-12-05_120060", false}, {"2026-12-05 091200", false}, {"2026-12-05_09120", false},
        {"2026-12-05_0912000", false}, {"2026-12-05_091200-old", false}, {"+026-12-05_091200", false},
        {"2026-1a-05_091200", false}, {".devam", false}, {"", false}};
    std::string kok = TestOrtami::kok() + "/yedekler";
    EXPECT_TRUE(Kopyalar::liste(kok).empty());
    EXPECT_FALSE(Kopyalar::son(kok));
    for (const auto& d : durumlar)
        if (!d.ad.empty()) fs::create_directories(kok + "/" + d.ad);
    TestOrtami::dosyaYaz(kok + "/notes.txt", "x");
    TestOrtami::dosyaYaz(kok + "/2026-06-01_000000", "a stray file with a copy's name still counts");
    for (auto tz : {"UTC", "America/New_York", "Asia/Kolkata", "Pacific/Kiritimati", "Etc/GMT+12"}) {
        saatDilimiKur(tz);
        Adlar beklenen = {"2026-06-01_000000"};
        for (const auto& d : durumlar) {
            auto an = Kopyalar::tarih(d.ad);
            EXPECT_EQ(an.has_value(), d.kopya) << tz << " " << d.ad;
            if (an) {
                EXPECT_EQ(Kopyalar::yeniAd(*an), d.ad) << tz;
            }
            if (d.kopya) beklenen.push_back(d.ad);
        }
        std::sort(beklenen.begin(), beklenen.end());
        EXPECT_EQ(Kopyalar::liste(kok), beklenen) << tz;
        EXPECT_EQ(Kopyalar::son(kok), "2261-12-31_235959") << tz;
        // Fractions of a second do not round up into the next name.
        EXPECT_EQ(Kopyalar::yeniAd(*Kopyalar::tarih("2026-12-05_091259") + std::chrono::milliseconds(999)),
                  "2026-12-05_091259");
    }
    EXPECT_TRUE(Kopyalar::liste(kok + "/notes.txt").empty());
}

// An hour skipped when the clocks go forward does not exist there; a repeated
// one does; and every name made is a name that parses.
TEST(Kopyalar, ClockChangesAndTheNamesMade) {
    struct Durum { std::string tz, ad; bool kopya; };
    for (const auto& d : std::vector<Durum>{{"UTC", "2026-03-08_023000", true},
                                           {"America/New_York", "2026-03-08_023000", false},
                                           {"America/New_York", "2026-03-08_033000", true},
                                           {"America/New_York", "2026-11-01_013000", true},
                                           {"Australia/Lord_Howe", "2026-10-04_021500", false},  // a half-hour change
                                           {"Australia/Lord_Howe", "2026-10-04_023000", true}}) {
        saatDilimiKur(d.tz);
        EXPECT_EQ(Kopyalar::tarih(d.ad).has_value(), d.kopya) << d.tz << " " << d.ad;
    }
    for (std::string tz : {"America/New_York", "Australia/Lord_Howe"}) {
        saatDilimiKur(tz);
        for (time_t t = 1735689600; t < 1735689600 + 2 * 365 * 86400; t += 37 * 60 + 11) {
            std::string ad = Kopyalar::yeniAd(std::chrono::system_clock::from_time_t(t));
            auto an = Kopyalar::tarih(ad);
            ASSERT_TRUE(an) << tz << " " << ad;
            EXPECT_EQ(Kopyalar::yeniAd(*an), ad);
        }
    }
    for (auto [tz, ad] : {std::pair{"UTC", "2025-12-05_091320"}, {"Asia/Kolkata", "2025-12-05_144320"}}) {
        saatDilimiKur(tz);
        EXPECT_EQ(Kopyalar::yeniAd(std::chrono::system_clock::from_time_t(1764926000)), ad);
    }
}

// In the user's locale (ICU's default, taken once per process: set here).
TEST(Kopyalar, ShownInTheLocalizedDateStyle) {
    saatDilimiKur("UTC");
    const icu::Locale onceki = icu::Locale::getDefault();
    UErrorCode hata = U_ZERO_ERROR;
    for (auto [yer, beklenen] : {std::pair{"en_GB", "5 Dec 2026, 09:12"}, {"de_DE", "05.12.2026, 09:12"}}) {
        icu::Locale::setDefault(icu::Locale(yer), hata);
        EXPECT_EQ(Kopyalar::goster("2026-12-05_091200"), beklenen) << yer;
    }
    icu::Locale::setDefault(onceki, hata);
    EXPECT_EQ(Kopyalar::goster("x"), "x");
    EXPECT_EQ(Kopyalar::goster("2026-02-30_120000"), "2026-02-30_120000");
}

TEST(KopyaBilgisi, AbsentFieldsAreLeftOutAndOtherShapesReadAsNameOnly) {
    saatDilimiKur("UTC");
    KopyaBilgisi tam;
    tam.ad = "2026-12-05_091200";
    tam.aktarilan = 1.5e9;
    tam.kopyalanan = 12;
    tam.dosyaSayisi = 4000000000LL;
    tam.kaynaklar = std::map<std::string, double>{{"Belgeler", 3.0}};
    EXPECT_EQ(nlohmann::json(tam).get<KopyaBilgisi>(), tam);

    for (auto ad : {"2026-12-05_091200", "2026-12-06_091200", "2026-12-07_091200"})
        fs::create_directories(Yol::yedekler() + "/" + ad);
    Kopyalar::bilgiYaz(tam);
    Kopyalar::bilgiYaz(KopyaBilgisi{"../kacak"});  // not a copy name: never a file
    EXPECT_FALSE(fs::exists(Yol::mnt() + "/kacak.json"));
    std::string meta = Kopyalar::metaKlasoru();
    TestOrtami::dosyaYaz(meta + "/2026-12-06_091200.json", R"({"ad":"2026-12-06_091200","sure":"long"})");
    TestOrtami::dosyaYaz(meta + "/2026-12-04_091200.json", R"({"ad":"2026-12-04_091200"})");  // copy is gone
    auto b = Kopyalar::bilgiler();
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0], tam);
    EXPECT_EQ(nlohmann::json(b[1]), nlohmann::json({{"ad", "2026-12-06_091200"}}));
    EXPECT_EQ(nlohmann::json(b[2]), nlohmann::json({{"ad", "2026-12-07_091200"}}));

    for (auto kotu : {R"([1,2])", R"({"sure":1})", R"({"ad":5})", R"({"ad":"a","kopyalanan":1.5})",
                      R"({"ad":"a","kaynaklar":[1]})", R"({"ad":"a","kaynaklar":{"x":"y"}})"})
        EXPECT_THROW(nlohmann::json::parse(kotu).get<KopyaBilgisi>(), std::exception) << kotu;
    auto bos = nlohmann::json::parse(R"({"ad":"a","sure":null,"kopyalanan":3.0})").get<KopyaBilgisi>();
    EXPECT_EQ(std::pair(bos.sure.has_value(), bos.kopyalanan), std::pair(false, decltype(bos.kopyalanan){3}));
    EXPECT_EQ(KopyaBilgisi{"x"}.tarih(), Saat::Zaman::min());
    EXPECT_LT(KopyaBilgisi{"x"}.tarih(), tam.tarih());
}

TEST(Kopyalar, HistoryFollowsTheImageOnlyWhileItIsAttached) {
    saatDilimiKur("UTC");
    fs::create_directories(Yol::yedekler() + "/2026-12-05_091200");
    Kopyalar::gecmisEsitle();  // the image is not attached: nothing is written
    EXPECT_FALSE(fs::exists(Kopyalar::gecmisYolu()));
    EXPECT_TRUE(Kopyalar::gecmis().empty());
    TestOrtami::dosyaYaz(Kopyalar::gecmisYolu(), "not json");
    EXPECT_TRUE(Kopyalar::gecmis().empty());

    fs::remove_all(Yol::mnt());
    fs::create_directories(Yol::mnt());
    if (::mount("brimvale-test", Yol::mnt().c_str(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Ayir {
        ~Ayir() { ::umount2(Yol::mnt().c_str(), MNT_DETACH); }
    } ayir;
    for (auto ad : {"2026-12-05_091200", "2026-12-06_091200"}) fs::create_directories(Yol::yedekler() + "/" + ad);
    Kopyalar::gecmisEsitle();
    auto g = Kopyalar::gecmis();
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[1].ad, "2026-12-06_091200");
}
