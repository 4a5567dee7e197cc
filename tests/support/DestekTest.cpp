// The support report: what it holds, in which order, and how it reaches the
// user's mail.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "platform/Platform.hpp"
#include "support/DestekRaporu.hpp"
#include "temel/Dosya.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

// 2026-12-05 09:12:00 UTC
const Saat::Zaman kAn = std::chrono::system_clock::from_time_t(1796461920);

struct SaatliTest : testing::Test {
    Saat::SahteSaat saat{kAn};
    void SetUp() override {
        Saat::kaynakKur(&saat);
        setenv("TZ", "UTC", 1);
        ::tzset();
        setenv("LANG", "C", 1);
        for (const char* v : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) unsetenv(v);
    }
    void TearDown() override { Saat::kaynakKur(nullptr); }
};
using DestekRaporuMetni = SaatliTest;
using DestekRaporuDosyasi = SaatliTest;

// "<onek>1\n<onek>2\n..." up to n, each line ended.
std::string satirlar(const std::string& onek, int ilk, int son) {
    std::string s;
    for (int i = ilk; i <= son; ++i) s += onek + std::to_string(i) + "\n";
    return s;
}

const DestekRaporu::Izin kIzin{true, false};

}  // namespace

TEST_F(DestekRaporuMetni, SectionsInOrderWithTheLastErrorsAndLogLines) {
    const std::string bas = std::string("Ondrak Brimvale ") + BRIMVALE_SURUM + " (" + BRIMVALE_YAPI +
                            ") \u2013 early version\n" + Platform::sistemSurumu() + ", " + Platform::makine() +
                            "\nPermissions: full disk access true, background agent false\nDate: 2026-12-05T09:12:00Z";
    struct Durum {
        const char* ad;
        std::optional<std::string> ayarlar, sonYedek, hatalar, gunluk;
        std::string beklenen;  // what follows the head
    };
    for (const auto& d : std::vector<Durum>{
             {"nothing there yet", {}, {}, {}, {},
              "\n\n--- settings (ayarlar.json) ---\n(none)\n\n--- last result (son-yedek.txt) ---\n(none)"
              "\n\n--- last errors (son-hatalar.txt) ---\n\n\n--- log (last 400 lines) ---\n"},
             {"short files whole, empty lines kept", "{\"a\": 1}\n", "2026-12-04 10:00\n", "e1\n\ne3\n",
              "g1\ng2\n",
              "\n\n--- settings (ayarlar.json) ---\n{\"a\": 1}\n\n\n--- last result (son-yedek.txt) ---\n"
              "2026-12-04 10:00\n\n\n--- last errors (son-hatalar.txt) ---\ne1\n\ne3"
              "\n\n--- log (last 400 lines) ---\ng1\ng2"},
             {"long files cut to their last lines", "", "", satirlar("e", 1, 130), satirlar("g", 1, 450),
              "\n\n--- settings (ayarlar.json) ---\n\n\n--- last result (son-yedek.txt) ---\n"
              "\n\n--- last errors (son-hatalar.txt) ---\n" + satirlar("e", 31, 129) + "e130" +
                  "\n\n--- log (last 400 lines) ---\n" + satirlar("g", 51, 449) + "g450"},
             {"exactly as many lines as kept, no final line break", {}, {}, satirlar("e", 1, 99) + "e100",
              satirlar("g", 1, 400),
              "\n\n--- settings (ayarlar.json) ---\n(none)\n\n--- last result (son-yedek.txt) ---\n(none)"
              "\n\n--- last errors (son-hatalar.txt) ---\n" + satirlar("e", 1, 99) + "e100" +
                  "\n\n--- log (last 400 lines) ---\n" + satirlar("g", 1, 399) + "g400"},
             {"a stray byte costs only itself", {}, {}, "kopyalanamadi: ad\xff.txt\n", "g\xfe\n",
              "\n\n--- settings (ayarlar.json) ---\n(none)\n\n--- last result (son-yedek.txt) ---\n(none)"
              "\n\n--- last errors (son-hatalar.txt) ---\nkopyalanamadi: ad\uFFFD.txt"
              "\n\n--- log (last 400 lines) ---\ng\uFFFD"},
         }) {
        SCOPED_TRACE(d.ad);
        fs::remove_all(Yol::durum());
        fs::create_directories(Yol::durum());
        for (const auto& [yol, icerik] : {std::pair{Yol::ayarlar(), d.ayarlar}, {Yol::sonYedek(), d.sonYedek},
                                           {Yol::sonHatalar(), d.hatalar}, {Yol::gunluk(), d.gunluk}})
            if (icerik) TestOrtami::dosyaYaz(yol, *icerik);
        EXPECT_EQ(DestekRaporu::metin(kIzin), bas + d.beklenen);
    }
}

// The report reads its four sources and nothing else: a password anywhere
// else a careless program could copy it from stays out of it.
TEST_F(DestekRaporuMetni, HoldsNoPasswordFromAnywhereElse) {
    const std::string parola = "Gizli-parola-7319";
    setenv("BRIMVALE_PAROLA", parola.c_str(), 1);
    TestOrtami::dosyaYaz(Platform::veriDizini() + "/Ondrak Brimvale/anahtarlik.json",
                         "{\"Ondrak Brimvale\": {\"parola\": \"" + parola + "\"}}");
    for (const std::string& yol :
         {Yol::asama(), Yol::sorulan(), Yol::ertelendi(), Yol::sonuc(), Yol::gecmis(), Yol::geriYuklemeler(),
          Yol::kurtulusDmg(), Yol::kilitPid(), Yol::isKlasoru() + "/ozet.json", Yol::isKlasoru() + "/karar.json",
          Yol::destek() + "/Brimvale-support-2026-01-01_000000.txt", Yol::mnt() + "/yedekler/not.txt",
          Yol::durum() + "/baska.txt"})
        TestOrtami::dosyaYaz(yol, parola + "\n");
    // Older than the lines the report keeps.
    TestOrtami::dosyaYaz(Yol::gunluk(), parola + "\n" + satirlar("g", 1, 400));
    TestOrtami::dosyaYaz(Yol::sonHatalar(), parola + "\n" + satirlar("e", 1, 100));
    TestOrtami::dosyaYaz(Yol::ayarlar(), "{\"diskUUID\": \"ABC\"}\n");
    TestOrtami::dosyaYaz(Yol::sonYedek(), "2026-12-04 10:00\n");

    std::string rapor = DestekRaporu::metin(kIzin);
    EXPECT_EQ(rapor.find(parola), std::string::npos) << rapor;
    EXPECT_NE(rapor.find("\ng400"), std::string::npos);
    EXPECT_NE(rapor.find("\ne100"), std::string::npos);
}

// The file goes to the mail program with its subject and text; without a mail
// program it is shown in the file manager, and without that its folder opens.
TEST_F(DestekRaporuDosyasi, OfferedByMailElseShownInTheFileManagerElseItsFolderOpens) {
    // A state folder whose name needs escaping in an address.
    setenv("BRIMVALE_DURUM", (TestOrtami::kok() + "/durum o'k").c_str(), 1);
    const std::string dosya = TestOrtami::kok() + "/durum o'k/destek/Brimvale-support-2026-12-05_091200.txt";
    const std::string adres = "file://" + TestOrtami::kok() + "/durum%20o%27k/destek/Brimvale-support-2026-12-05_091200.txt";
    const std::vector<std::string> posta = {"--subject", std::string("Ondrak Brimvale ") + BRIMVALE_SURUM +
                                                              " \u2013 support report",
                                            "--body",
                                            "Please describe what happened. The attached report contains the log "
                                            "and version details; check it before sending.",
                                            "--attach", dosya, "support@ondrak.example"};
    const std::vector<std::string> goster = {"call", "--session", "--dest", "org.freedesktop.FileManager1",
                                             "--object-path", "/org/freedesktop/FileManager1", "--method",
                                             "org.freedesktop.FileManager1.ShowItems", "['" + adres + "']", ""};
    const std::vector<std::string> ac = {TestOrtami::kok() + "/durum o'k/destek"};
    using Cagrilar = std::vector<std::vector<std::string>>;
    struct Durum {
        const char* ad;
        int postaKodu, gosterKodu, acKodu;
        Cagrilar postaCagrilari, gosterCagrilari, acCagrilari;
    };
    for (const auto& d : std::vector<Durum>{
             {"a mail program", 0, 0, 0, {posta}, {}, {}},
             {"no mail program", 127, 0, 0, {posta}, {goster}, {}},
             {"no mail program, no file manager", 1, 1, 0, {posta}, {goster}, {ac}},
         }) {
        SCOPED_TRACE(d.ad);
        fs::remove_all(TestOrtami::kok() + "/durum o'k");
        SahteArac xdgEmail(TestOrtami::araclar(), "xdg-email"), gdbus(TestOrtami::araclar(), "gdbus"),
            xdgOpen(TestOrtami::araclar(), "xdg-open");
        xdgEmail.cevap("", d.postaKodu);
        gdbus.cevap("", d.gosterKodu);
        xdgOpen.cevap("", d.acKodu);
        EXPECT_EQ(DestekRaporu::olustur(kIzin), dosya);
        EXPECT_EQ(oku(dosya), DestekRaporu::metin(kIzin));
        auto argumanlar = [](const SahteArac& a) {
            Cagrilar c;
            for (const auto& cagri : a.cagrilar()) c.push_back(cagri.args);
            return c;
        };
        EXPECT_EQ(argumanlar(xdgEmail), d.postaCagrilari);
        EXPECT_EQ(argumanlar(gdbus), d.gosterCagrilari);
        EXPECT_EQ(argumanlar(xdgOpen), d.acCagrilari);
    }
}

TEST(DestekRaporuKomutu, PrintsTheReport) {
    TestOrtami::dosyaYaz(Yol::gunluk(), "2026-12-05 09:00:00 son satir\n");
    auto c = TestOrtami::calistir({"--destek-raporu"});
    EXPECT_EQ(c.kod, 0);
    EXPECT_TRUE(c.cikti.starts_with("Ondrak Brimvale ")) << c.cikti;
    EXPECT_TRUE(c.cikti.ends_with("\n--- log (last 400 lines) ---\n2026-12-05 09:00:00 son satir\n")) << c.cikti;
    EXPECT_EQ(c.hata, "");
}
