#include <gtest/gtest.h>

#include <filesystem>

#include "app/Isleyiciler.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {
struct Cikti {
    int kod;
    std::string cikti, hata;
};
Cikti calistir(const std::vector<std::string>& args, const std::string& girdi = "") {
    std::string hataYolu = TestOrtami::kok() + "/stderr";
    std::remove(hataYolu.c_str());
    KomutSonucu s = komut(TestOrtami::calistirilabilir(), args, girdi, std::nullopt, hataYolu);
    return {s.kod, s.cikti, oku(hataYolu).value_or("")};
}
}  // namespace

TEST(KomutlarDepo, CopiesAndTheirStatisticsAsJson) {
    fs::remove_all(Yol::mnt());
    EXPECT_EQ(calistir({"--kopyalar"}).cikti, "[]\n");
    EXPECT_EQ(calistir({"--bilgiler"}).cikti, "[]\n");
    setenv("TZ", "UTC", 1);
    for (std::string ad : {"2026-12-05_091200", "2026-01-02_030405", ".devam", "notes"})
        fs::create_directories(Yol::yedekler() + "/" + ad);
    TestOrtami::dosyaYaz(Kopyalar::metaKlasoru() + "/2026-12-05_091200.json",
                         R"({"ad":"2026-12-05_091200","sure":12.5,"kaynaklar":{"a/b":1}})");
    Cikti c = calistir({"--kopyalar"});
    EXPECT_EQ(c.kod, 0);
    EXPECT_EQ(nlohmann::json::parse(c.cikti), nlohmann::json({"2026-01-02_030405", "2026-12-05_091200"}));
    c = calistir({"--bilgiler"});
    EXPECT_EQ(c.kod, 0);
    EXPECT_EQ(nlohmann::json::parse(c.cikti), nlohmann::json::parse(R"([{"ad":"2026-01-02_030405"},
        {"ad":"2026-12-05_091200","sure":12.5,"kaynaklar":{"a/b":1}}])"));
    EXPECT_NE(c.cikti.find("\"a/b\""), std::string::npos);
}

TEST(KomutlarDepo, RetentionDryRun) {
    std::string adlar = "2026-12-05_111000\n\n.devam\n2026-12-05_100500\n2026-12-05_104000\nx\n";
    struct Durum {
        std::string sayilar;
        int kod;
        std::string cikti;
    };
    std::vector<Durum> durumlar = {
        {"2,0,0,0,0", 0, "2026-12-05_104000\n2026-12-05_111000\n"},
        {"1,1,1,1,1", 0, "2026-12-05_111000\n"},
        {"2,x,0,0,0,0", 0, "2026-12-05_104000\n2026-12-05_111000\n"},
        {"2,,0,0,0,0", 0, "2026-12-05_104000\n2026-12-05_111000\n"},
        {"+2,0,0,0,-1", 0, "2026-12-05_104000\n2026-12-05_111000\n"},
        {"1,2,3", 64, ""},
        {"1,2,3,4,5,6", 64, ""},
        {"1,2,3,4,5x", 64, ""},
        {"1,2,3,4, 5", 64, ""},
    };
    for (std::string tz : {"UTC", "Australia/Lord_Howe"}) {
        setenv("TZ", tz.c_str(), 1);
        for (const auto& d : durumlar) {
            Cikti c = calistir({"--gfs", d.sayilar}, adlar);
            EXPECT_EQ(c.kod, d.kod) << tz << " " << d.sayilar;
            EXPECT_EQ(c.cikti, d.cikti) << tz << " " << d.sayilar;
        }
    }
    EXPECT_EQ(calistir({"--gfs"}).kod, 64);
}

TEST(KomutlarDepo, DigestMatchesTheSystemTool) {
    std::string yol = TestOrtami::kok() + "/dosya ş";
    std::string veri(9 * 1024 * 1024 + 7, 'a');
    for (size_t i = 0; i < veri.size(); i += 4093) veri[i] = static_cast<char>(i);
    TestOrtami::dosyaYaz(yol, veri);
    Cikti c = calistir({"--ozet", yol});
    EXPECT_EQ(c.kod, 0);
    KomutSonucu beklenen = komut("/usr/bin/sha256sum", {yol});
    ASSERT_EQ(beklenen.kod, 0);
    EXPECT_EQ(c.cikti, beklenen.cikti.substr(0, 64) + "\n");
    c = calistir({"--ozet", TestOrtami::kok() + "/yok"});
    EXPECT_EQ(c.kod, 1);
    EXPECT_EQ(c.cikti, "");
    EXPECT_EQ(c.hata, "open " + TestOrtami::kok() + "/yok: No such file or directory\n");
}

TEST(KomutlarDepo, DeletingOnRequest) {
    Cikti c = calistir({"--kopya-sil", "2026-12-05_091200"});
    EXPECT_EQ(c.kod, 1);
    EXPECT_EQ(c.cikti, "backup disk not connected\n");
    EXPECT_EQ(calistir({"--kopya-sil"}).kod, 64);

    // The store's steps, with the image taken as attached.
    fs::remove_all(Yol::mnt());
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
    std::string cikti = testing::internal::GetCapturedStdout();
    EXPECT_EQ(cikti,
              "refused: 2026-12-02_000000 is not a dated backup, or it is the newest one\n"
              "refused: .devam is not a dated backup, or it is the newest one\n"
              "silindi: 2026-12-01_000000; imajın içinde açılan yer: 2.5 MB\n");
    EXPECT_EQ(Kopyalar::liste(Yol::yedekler()), std::vector<std::string>{"2026-12-02_000000"});
    EXPECT_NE(oku(Yol::gunluk()).value_or("").find("Backup deleted by request: 2026-12-01_000000 (2.5 MB freed inside the image)"),
              std::string::npos);
}
