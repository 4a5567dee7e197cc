#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

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

// Key by key over the defaults; any wrong type, a damaged file, anything but a
// regular file of at most 1 MiB, or a number out of its type's range (5.5 is
// never 5): all defaults.
TEST(Ayarlar, DecodesKeyByKeyAndFallsBackWhole) {
    using Degisiklik = std::function<void(Ayarlar&)>;
    const Degisiklik varsayilan, kapali = [](Ayarlar& a) { a.otomatikCikar = false; };
    auto esik = [](int64_t n) { return [n](Ayarlar& a) { a.silmeEsigiDosya = n; }; };
    std::string gercek = TestOrtami::kok() + "/gercek-ayarlar.json";
    TestOrtami::dosyaYaz(gercek, R"({"otomatikCikar": false})");
    struct Durum { std::string ad; std::function<void()> hazirla; Degisiklik beklenen; };
    auto metin = [](std::string json) { return [json] { TestOrtami::dosyaYaz(Yol::ayarlar(), json); }; };
    std::vector<Durum> durumlar = {
        {"empty object", metin("{}"), varsayilan},
        {"one key", metin(R"({"otomatikCikar": false})"), kapali},
        {"null and unknown keys", metin(R"({"imajAdi": null, "diskUUID": null, "bilinmeyen": [1, 2]})"), varsayilan},
        {"full",
         metin(R"({"diskUUID": "abc", "kaynaklar": ["/a"], "silmeEsigiDosya": 7, "silmeEsigiBayt": 10,
                   "saklama": {"saatlik": 1, "gunluk": 2, "haftalik": 3, "aylik": 4, "yillik": -1}, "notMetni": "n"})"),
         [](Ayarlar& a) {
             a.diskUUID = "abc";
             a.kaynaklar = {"/a"};
             a.saklama = {1, 2, 3, 4, -1};
             a.silmeEsigiDosya = 7;
             a.silmeEsigiBayt = 10;
             a.notMetni = "n";
         }},
        {"FIFO", [] { ASSERT_EQ(mkfifo(Yol::ayarlar().c_str(), 0600), 0); }, varsayilan},
        {"link to /dev/zero", [] { fs::create_symlink("/dev/zero", Yol::ayarlar()); }, varsayilan},
        {"link to a regular file", [&] { fs::create_symlink(gercek, Yol::ayarlar()); }, kapali},
        {"2^63 - 1", metin(R"({"silmeEsigiDosya": 9223372036854775807})"), esik(INT64_MAX)},
        {"-2^63", metin(R"({"silmeEsigiDosya": -9223372036854775808})"), esik(INT64_MIN)},
        {"500.0", metin(R"({"silmeEsigiDosya": 500.0})"), esik(500)},
    };
    // Each beside a valid key, which must not survive either.
    for (const std::string& bozuk : std::vector<std::string>{R"("saklama": {"saatlik": 5})", R"("seyrelt": 1, "diskUUID": "x")",
                              R"("kaynaklar": ["/a", 3])", R"("imajAdi": 4)", R"("silmeEsigiDosya": 5.5)",
                              R"("silmeEsigiDosya": 9223372036854775808)", R"("silmeEsigiDosya": 18446744073709551615)",
                              R"("silmeEsigiDosya": -9223372036854775809)", R"("silmeEsigiDosya": 1e19)",
                              R"("silmeEsigiBayt": 1e400)", "\"notMetni\": \"" + std::string(1 << 20, 'x') + "\"",
                              R"("saklama": {"saatlik": 1, "gunluk": 1, "haftalik": 1, "aylik": 1,
                                             "yillik": 9223372036854775808})"})
        durumlar.push_back({bozuk.substr(0, 40), metin(R"({"otomatikCikar": false, )" + bozuk + "}"), varsayilan});
    for (const char* bozuk : {"[1, 2]", "{bozuk", ""}) durumlar.push_back({bozuk, metin(bozuk), varsayilan});
    for (const auto& d : durumlar) {
        fs::remove_all(Yol::durum());
        fs::create_directories(Yol::durum());
        d.hazirla();
        Ayarlar beklenen;
        if (d.beklenen) d.beklenen(beklenen);
        EXPECT_EQ(cocukta([&] { return Ayarlar::yukle() == beklenen; }), 0) << d.ad;
    }
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
    std::vector<std::string> adlar;
    for (const auto& k : a.kaynakAdlari()) adlar.push_back(k.ad);
    EXPECT_EQ(adlar, (std::vector<std::string>{"Belgeler", "Belgeler 2", "Belgeler 3", "Resimler", "Belgeler 2 2"}));
    EXPECT_EQ(a.kaynakYolu("Belgeler 3"), "/c/Belgeler");
    EXPECT_EQ(a.kaynakYolu("Yok"), std::nullopt);
}
