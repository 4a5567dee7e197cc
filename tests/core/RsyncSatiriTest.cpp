#include <gtest/gtest.h>

#include "core/RsyncSatiri.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "tests/support/TestOrtami.hpp"

using Rsync::Satir;
using Rsync::satirCoz;

TEST(RsyncSatiri, LinesOfTheItemizedListing) {
    struct Durum { std::string satir; std::optional<Satir> beklenen; };
    const std::optional<Satir> yok;
    std::vector<Durum> durumlar = {
        {"*deleting   old/f", Satir{"del", "old/f"}},       {"*deleting   old/", Satir{"del", "old/"}},
        {"*deleting    lead", Satir{"del", " lead"}},        {"deleting gone", Satir{"del", "gone"}},
        {"*deleting x", Satir{"del", "x"}},                  {">f+++++++++ a b", Satir{">f+++++++++", "a b"}},
        {">f..t...... big.mov", Satir{">f..t......", "big.mov"}}, {"cd+++++++++ d/", Satir{"cd+++++++++", "d/"}},
        {"cL+++++++++ link -> target", Satir{"cL+++++++++", "link"}},
        {"cS+++++++++ x -> y", Satir{"cS+++++++++", "x -> y"}}, {".d..t...... d/", Satir{".d..t......", "d/"}},
        {"<f.st...... up", Satir{"<f.st......", "up"}},      {"hf+++++++++ h => a", Satir{"hf+++++++++", "h => a"}},
        {">f+++++++++ d/b\\#001c", Satir{">f+++++++++", "d/b\001c"}},
        {">f+++++++++ x\\#134#001y", Satir{">f+++++++++", "x\\#001y"}},
        {">f+++++++++ \\#12", Satir{">f+++++++++", "\\#12"}},
        {"created directory /x", yok}, {"cannot delete non-empty directory: d", yok},
        {"sending incremental file list", yok}, {"", yok}, {"xf+++++++++ a", yok}, {">f+++++++++ ", yok},
        {"nospace", yok},
    };
    for (const auto& d : durumlar) EXPECT_EQ(satirCoz(d.satir), d.beklenen) << d.satir;
}

// Every name the copy tool lists must lead back to its file, however odd.
TEST(RsyncSatiri, EveryNameOfARealDryRunLeadsBackToItsFile) {
    std::string kaynak = TestOrtami::kok() + "/k", hedef = TestOrtami::kok() + "/h";
    std::vector<std::string> adlar = {"plain", " lead", "trail ", "tab\tin", "bell\001x", "new\nline",
                                      "back\\#001slash", "\xc5\x9f p", "raw\xff", "a -> b", "d/e/deep"};
    for (const auto& ad : adlar) TestOrtami::dosyaYaz(kaynak + "/" + ad, "x");
    for (const auto& ad : {" gone", "old/\001f", "x\\#134"}) TestOrtami::dosyaYaz(hedef + "/" + ad, "y");
    // Written to a file: the raw bytes of the listing, as the backup run keeps it.
    std::string liste = TestOrtami::kok() + "/liste.txt";
    KomutSonucu s =
        komut("/usr/bin/rsync", {"-n", "-i", "--delete", "-rlptgo", kaynak + "/", hedef + "/"}, std::nullopt, liste);
    if (s.kod == 127) GTEST_SKIP() << "rsync is not installed";
    ASSERT_EQ(s.kod, 0);
    std::set<std::string> dosyalar, silinen;
    for (const auto& satir : Metin::bol(baytlariOku(liste).value_or(""), '\n', true)) {
        auto c = satirCoz(satir);
        ASSERT_TRUE(c) << satir;
        TestOrtami::durum((c->kod == "del" ? hedef : kaynak) + "/" + c->yol);
        if (c->kod == "del") silinen.insert(c->yol);
        else if (c->kod.starts_with(">f")) dosyalar.insert(c->yol);
    }
    EXPECT_EQ(dosyalar, std::set<std::string>(adlar.begin(), adlar.end()));
    EXPECT_EQ(silinen, (std::set<std::string>{" gone", "old/", "old/\001f", "x\\#134"}));
}
