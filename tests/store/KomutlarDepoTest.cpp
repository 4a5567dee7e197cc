#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/Isleyiciler.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"
#include "tests/support/SahteBaglama.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;
using TestOrtami::calistir;

TEST(KomutlarDepo, CopiesAndTheirStatisticsAsJson) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a stand-in for the attached image";
    SahteBaglama imaj(false);
    ASSERT_TRUE(imaj.tamam);
    EXPECT_EQ(calistir({"--kopyalar"}).cikti, "[]\n");
    EXPECT_EQ(calistir({"--bilgiler"}).cikti, "[]\n");
    setenv("TZ", "UTC", 1);
    for (std::string ad : {"2026-12-05_091200", "2026-01-02_030405", ".devam", "notes"})
        fs::create_directories(Yol::yedekler() + "/" + ad);
    TestOrtami::dosyaYaz(Kopyalar::metaKlasoru() + "/2026-12-05_091200.json",
                         R"({"ad":"2026-12-05_091200","sure":12.5,"kaynaklar":{"a/b":1}})");
    auto c = calistir({"--kopyalar"});
    EXPECT_EQ(std::pair(c.kod, nlohmann::json::parse(c.cikti)),
              std::pair(0, nlohmann::json({"2026-01-02_030405", "2026-12-05_091200"})));
    c = calistir({"--bilgiler"});
    EXPECT_EQ(std::pair(c.kod, nlohmann::json::parse(c.cikti)),
              std::pair(0, nlohmann::json::parse(R"([{"ad":"2026-01-02_030405"},
                  {"ad":"2026-12-05_091200","sure":12.5,"kaynaklar":{"a/b":1}}])")));
    EXPECT_NE(c.cikti.find("\"a/b\""), std::string::npos);
}

TEST(KomutlarDepo, RetentionDryRun) {
    std::string adlar = "2026-12-05_111000\n\n.devam\n2026-12-05_100500\n2026-12-05_104000\nx\n";
    struct Durum { std::string sayilar; int kod; std::string cikti; };
    const std::string ikiSaat = "2026-12-05_104000\n2026-12-05_111000\n";
    std::vector<Durum> durumlar = {{"2,0,0,0,0", 0, ikiSaat},   {"1,1,1,1,1", 0, "2026-12-05_111000\n"},
                                   {"2,x,0,0,0,0", 0, ikiSaat}, {"2,,0,0,0,0", 0, ikiSaat},
                                   {"+2,0,0,0,-1", 0, ikiSaat}, {"1,2,3", 64, ""},
                                   {"1,2,3,4,5,6", 64, ""},     {"1,2,3,4,5x", 64, ""},
                                   {"1,2,3,4, 5", 64, ""}};
    // The buckets in other zones are the store's own test; this is the reading of the counts.
    setenv("TZ", "UTC", 1);
    for (const auto& d : durumlar) {
        auto c = calistir({"--gfs", d.sayilar}, adlar);
        EXPECT_EQ(std::pair(c.kod, c.cikti), std::pair(d.kod, d.cikti)) << d.sayilar;
    }
    EXPECT_EQ(calistir({"--gfs"}).kod, 64);
}

TEST(KomutlarDepo, DeletingOnRequest) {
    auto c = calistir({"--kopya-sil", "2026-12-05_091200"});
    EXPECT_EQ(std::pair(c.kod, c.cikti), std::pair(1, std::string("backup disk not connected\n")));
    EXPECT_EQ(calistir({"--kopya-sil"}).kod, 64);

    // The store's steps, with the image taken as attached.
    setenv("TZ", "UTC", 1);
    tzset();
    for (std::string ad : {"2026-12-01_000000", "2026-12-02_000000"})
        TestOrtami::dosyaYaz(Yol::yedekler() + "/" + ad + "/a/b", "x");
    double bos = 1000;
    auto olcer = [&] { return bos += 2500000; };
    testing::internal::CaptureStdout();
    EXPECT_EQ(Isleyiciler::kopyaSilDepoda("2026-12-02_000000", olcer), 1);
    EXPECT_EQ(Isleyiciler::kopyaSilDepoda(".devam", olcer), 1);
    EXPECT_EQ(Isleyiciler::kopyaSilDepoda("2026-12-01_000000", olcer), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "refused: 2026-12-02_000000 is not a dated backup, or it is the newest one\n"
              "refused: .devam is not a dated backup, or it is the newest one\n"
              "silindi: 2026-12-01_000000; imajın içinde açılan yer: 2.5 MB\n");
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), std::vector<std::string>{"2026-12-02_000000"});
    EXPECT_NE(TestOrtami::gunluk().find("Backup deleted by request: 2026-12-01_000000 (2.5 MB freed inside the image)"),
              std::string::npos);
}
