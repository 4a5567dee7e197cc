#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <functional>

#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/Yol.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {
Ayarlar yukleMetinden(const std::string& json) {
    TestOrtami::dosyaYaz(Yol::ayarlar(), json);
    return Ayarlar::yukle();
}
}  // namespace

TEST(Ayarlar, DecodesKeyByKeyAndFallsBackWhole) {
    Ayarlar varsayilan;
    EXPECT_EQ(yukleMetinden("{}"), varsayilan);

    Ayarlar sadeceCikar = yukleMetinden(R"({"otomatikCikar": false})");
    Ayarlar beklenen;
    beklenen.otomatikCikar = false;
    EXPECT_EQ(sadeceCikar, beklenen);

    // null means the default; unknown keys are ignored.
    EXPECT_EQ(yukleMetinden(R"({"imajAdi": null, "diskUUID": null, "bilinmeyen": [1, 2]})"), varsayilan);

    Ayarlar dolu = yukleMetinden(
        R"({"diskUUID": "abc", "kaynaklar": ["/a"], "saklama": {"saatlik": 1, "gunluk": 2, "haftalik": 3, "aylik": 4, "yillik": -1},
            "silmeEsigiDosya": 7, "silmeEsigiBayt": 10, "notMetni": "not"})");
    EXPECT_EQ(dolu.diskUUID, "abc");
    EXPECT_EQ(dolu.kaynaklar, std::vector<std::string>{"/a"});
    EXPECT_EQ(dolu.saklama, (Saklama{1, 2, 3, 4, -1}));
    EXPECT_EQ(dolu.silmeEsigiDosya, 7);
    EXPECT_EQ(dolu.silmeEsigiBayt, 10.0);
    EXPECT_EQ(dolu.haric, Ayarlar::varsayilanHaric());

    // Any wrong type, an incomplete retention object or a damaged file: all defaults.
    for (const char* bozuk : {R"({"saklama": {"saatlik": 5}})", R"({"seyrelt": 1, "diskUUID": "x"})",
                              R"({"kaynaklar": ["/a", 3]})", R"({"silmeEsigiDosya": 1.5})", R"({"imajAdi": 4})",
                              R"([1, 2])", "{bozuk", ""})
        EXPECT_EQ(yukleMetinden(bozuk), varsayilan) << bozuk;
}

TEST(Ayarlar, SaveReplacesADamagedFileAndOmitsAbsentOptionals) {
    TestOrtami::dosyaYaz(Yol::ayarlar(), "{bozuk");
    Ayarlar a = Ayarlar::yukle();
    a.kaynaklar = {"/Users/ben/Belgeler"};
    a.kurtulusNotu = "/not.txt";
    a.kaydet();
    auto j = jsonOku<nlohmann::json>(Yol::ayarlar());
    ASSERT_TRUE(j);
    EXPECT_FALSE(j->contains("diskUUID"));
    EXPECT_FALSE(j->contains("oncelikListesi"));
    EXPECT_EQ((*j)["kurtulusNotu"], "/not.txt");
    EXPECT_EQ(Ayarlar::yukle(), a);
}

TEST(Ayarlar, SourceNamesAreUniqueInOrder) {
    Ayarlar a;
    a.kaynaklar = {"/a/Belgeler", "/b/Belgeler/", "/c/Belgeler", "/d/Resimler", "/e/Belgeler 2"};
    auto adlar = a.kaynakAdlari();
    std::vector<std::string> beklenen = {"Belgeler", "Belgeler 2", "Belgeler 3", "Resimler", "Belgeler 2 2"};
    ASSERT_EQ(adlar.size(), beklenen.size());
    for (size_t i = 0; i < adlar.size(); ++i) EXPECT_EQ(adlar[i].ad, beklenen[i]);
    EXPECT_EQ(a.kaynakYolu("Belgeler 3"), "/c/Belgeler");
    EXPECT_EQ(a.kaynakYolu("Yok"), std::nullopt);
}

namespace {

// Runs `f` in a child bounded in time and memory, so a reader that blocks or
// never ends fails its case instead of the whole test program.
int cocukta(const std::function<bool()>& f) {
    pid_t p = fork();
    if (p == 0) {
        alarm(20);
        struct rlimit r{1ull << 30, 1ull << 30};
        setrlimit(RLIMIT_AS, &r);
        _exit(f() ? 0 : 1);
    }
    int st = 0;
    while (waitpid(p, &st, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

}  // namespace

// Settings are read only from a regular file of at most 1 MiB, and a number
// out of its type's range fails the decoding like a wrong type.
TEST(Ayarlar, OnlyARegularFileOfSaneSizeWithNumbersInRange) {
    Ayarlar varsayilan, kapali, enBuyuk, enKucuk, tam;
    kapali.otomatikCikar = false;
    enBuyuk.silmeEsigiDosya = INT64_MAX;
    enKucuk.silmeEsigiDosya = INT64_MIN;
    tam.silmeEsigiDosya = 500;
    std::string gercek = TestOrtami::kok() + "/gercek-ayarlar.json";
    TestOrtami::dosyaYaz(gercek, R"({"otomatikCikar": false})");
    struct Durum {
        std::string ad;
        std::function<void()> hazirla;
        Ayarlar beklenen;
    };
    auto metin = [](std::string json) { return [json] { TestOrtami::dosyaYaz(Yol::ayarlar(), json); }; };
    std::vector<Durum> durumlar = {
        {"FIFO", [] { ASSERT_EQ(mkfifo(Yol::ayarlar().c_str(), 0600), 0); }, varsayilan},
        {"link to /dev/zero", [] { fs::create_symlink("/dev/zero", Yol::ayarlar()); }, varsayilan},
        {"over 1 MiB", metin(R"({"otomatikCikar": false, "notMetni": ")" + std::string(1 << 20, 'x') + "\"}"), varsayilan},
        {"link to a regular file", [&] { fs::create_symlink(gercek, Yol::ayarlar()); }, kapali},
        {"2^63", metin(R"({"otomatikCikar": false, "silmeEsigiDosya": 9223372036854775808})"), varsayilan},
        {"2^64 - 1", metin(R"({"otomatikCikar": false, "silmeEsigiDosya": 18446744073709551615})"), varsayilan},
        {"below -2^63", metin(R"({"otomatikCikar": false, "silmeEsigiDosya": -9223372036854775809})"), varsayilan},
        {"1e19", metin(R"({"otomatikCikar": false, "silmeEsigiDosya": 1e19})"), varsayilan},
        {"5.5", metin(R"({"otomatikCikar": false, "silmeEsigiDosya": 5.5})"), varsayilan},
        {"retention count 2^63",
         metin(R"({"otomatikCikar": false, "saklama": {"saatlik": 1, "gunluk": 1, "haftalik": 1, "aylik": 1,
                   "yillik": 9223372036854775808}})"),
         varsayilan},
        {"1e400 bytes", metin(R"({"otomatikCikar": false, "silmeEsigiBayt": 1e400})"), varsayilan},
        {"2^63 - 1", metin(R"({"silmeEsigiDosya": 9223372036854775807})"), enBuyuk},
        {"-2^63", metin(R"({"silmeEsigiDosya": -9223372036854775808})"), enKucuk},
        {"500.0", metin(R"({"silmeEsigiDosya": 500.0})"), tam},
    };
    for (const auto& d : durumlar) {
        fs::remove_all(Yol::durum());
        fs::create_directories(Yol::durum());
        d.hazirla();
        EXPECT_EQ(cocukta([&] { return Ayarlar::yukle() == d.beklenen; }), 0) << d.ad;
    }
}

// Every command loads the settings first: a FIFO there must not hang one.
TEST(Ayarlar, AFifoInTheirPlaceDoesNotHangACommand) {
    fs::remove_all(Yol::durum());
    fs::create_directories(Yol::durum());
    ASSERT_EQ(mkfifo(Yol::ayarlar().c_str(), 0600), 0);
    KomutSonucu s = komut("/usr/bin/timeout", {"20", TestOrtami::calistirilabilir(), "--surum"}, std::string());
    EXPECT_EQ(s.kod, 0) << s.cikti;
    EXPECT_FALSE(s.cikti.empty());
}
