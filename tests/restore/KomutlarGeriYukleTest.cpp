// The restore commands of the built program: what they print and how they end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "core/Dosya.hpp"
#include "restore/GeriYukle.hpp"
#include "tests/restore/GeriYukleOrtami.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/SahteBaglama.hpp"

using namespace GeriYukleOrtami;

TEST(KomutlarGeriYukle, PrintWhatTheRestoreGivesAndEndThrownErrorsWithTheirText) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a stand-in for the attached image";
    SahteBaglama imaj(false);
    ASSERT_TRUE(imaj.tamam);
    DenemeDiski::yardimcilariKur();
    setenv("BRIMVALE_COP", (TestOrtami::kok() + "/cop").c_str(), 1);
    ayarlar().kaydet();
    dosya(kopyada(A, "Belgeler/a.txt"), "yedek");
    dosya(mac() + "/a.txt", "simdiki");
    using C = TestOrtami::Cikti;
    EXPECT_EQ(TestOrtami::calistir({"--surumler", "Belgeler/yok"}).cikti, "[]\n");
    auto s = TestOrtami::calistir({"--surumler", "Belgeler/a.txt"});
    EXPECT_EQ(nlohmann::json::parse(s.cikti).get<std::vector<Surum>>(), (std::vector<Surum>{{A, A, 5, 1700000000, false}}));

    s = TestOrtami::calistir({"--yerine-koy", A, "Belgeler/a.txt"});
    ASSERT_EQ(s.kod, 0) << s.hata;
    // Slashes stay as they are.
    EXPECT_NE(s.cikti.find("\"hedef\" : \"" + mac() + "/a.txt\""), std::string::npos) << s.cikti;
    auto kayit = nlohmann::json::parse(s.cikti).get<GeriYukleme>();
    EXPECT_EQ(oku(mac() + "/a.txt"), "yedek");
    EXPECT_EQ(GeriYukle::kayitlar(), std::vector<GeriYukleme>{kayit});
    s = TestOrtami::calistir({"--degistirilmisler"});
    EXPECT_EQ(nlohmann::json::parse(s.cikti).get<std::vector<GeriYukleme>>(), std::vector<GeriYukleme>{kayit});

    std::string klasor = TestOrtami::kok() + "/baska";
    // Save as never replaces what is there: the second lands under the copy's date.
    EXPECT_EQ(TestOrtami::calistir({"--farkli-kaydet", A, "Belgeler/a.txt", klasor}).cikti, klasor + "/a.txt\n");
    EXPECT_EQ(TestOrtami::calistir({"--farkli-kaydet", A, "Belgeler/a.txt", klasor}).cikti,
              klasor + "/a (2024-01-01 100000).txt\n");
    EXPECT_EQ(oku(klasor + "/a (2024-01-01 100000).txt"), "yedek");
    // Nor an item under the dated name: a counter follows it.
    TestOrtami::dosyaYaz(klasor + "/a (2024-01-01 100000).txt", "kullanicinin");
    EXPECT_EQ(TestOrtami::calistir({"--farkli-kaydet", A, "Belgeler/a.txt", klasor}).cikti,
              klasor + "/a (2024-01-01 100000 2).txt\n");
    EXPECT_EQ(oku(klasor + "/a (2024-01-01 100000).txt"), "kullanicinin");

    struct {
        std::vector<std::string> args;
        C beklenen;
    } durumlar[] = {
        {{"--geri-al", kayit.id}, {0, "", ""}},
        {{"--geri-al", kayit.id}, {1, "", "This item cannot be restored (invalid path).\n"}},
        {{"--cope-at", kayit.id}, {1, "", "This item cannot be restored (invalid path).\n"}},
        {{"--farkli-kaydet", A, "Belgeler/yok", klasor}, {1, "", "This version is not in the backup.\n"}},
    };
    for (const auto& d : durumlar) {
        C c = TestOrtami::calistir(d.args);
        EXPECT_EQ(c.kod, d.beklenen.kod) << d.args[0];
        EXPECT_EQ(c.cikti, d.beklenen.cikti) << d.args[0];
        EXPECT_EQ(c.hata, d.beklenen.hata) << d.args[0];
    }
    EXPECT_EQ(oku(mac() + "/a.txt"), "simdiki");
    EXPECT_EQ(GeriYukle::kayitlar()[0].durum, "geri-alindi");
}
