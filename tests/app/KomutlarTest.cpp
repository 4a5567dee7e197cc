#include <gtest/gtest.h>

#include <cmath>

#include "app/Komutlar.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "tests/support/TestOrtami.hpp"

namespace {
// Runs the built program; standard error goes to a file so the two streams
// can be told apart.
struct Cikti {
    int kod;
    std::string cikti, hata;
};
Cikti calistir(const std::vector<std::string>& args) {
    std::string hataYolu = TestOrtami::kok() + "/stderr";
    std::remove(hataYolu.c_str());
    KomutSonucu s = komut(TestOrtami::calistirilabilir(), args, std::string(), std::nullopt, hataYolu);
    return {s.kod, s.cikti, oku(hataYolu).value_or("")};
}
}  // namespace

TEST(Komutlar, VersionLine) {
    setenv("LANG", "C", 1);
    Cikti c = calistir({"--surum"});
    EXPECT_EQ(c.kod, 0);
    EXPECT_EQ(c.cikti, std::string(BRIMVALE_SURUM) + " (" + BRIMVALE_YAPI + ") \u2013 early version\n");
}

TEST(Komutlar, ExitCodesOfTheDispatcher) {
    struct Durum { std::vector<std::string> args; int kod; std::string cikti, hata; };
    std::string pencere = "The window application is not available in this build.\n";
    std::vector<Durum> durumlar = {
        {{"--surumler"}, 64, "", "missing argument\n"},
        {{"--farkli-kaydet", "a", "b"}, 64, "", "missing argument\n"},
        {{}, 0, pencere, ""},
        {{"--help"}, 0, pencere, ""},
        {{"--SURUM"}, 0, pencere, ""},
        {{"--surum=1"}, 0, pencere, ""},
        {{"x", "--surum"}, 0, pencere, ""},
    };
    setenv("LANG", "C", 1);
    for (const auto& d : durumlar) {
        Cikti c = calistir(d.args);
        std::string ad = d.args.empty() ? "(none)" : d.args[0];
        EXPECT_EQ(c.kod, d.kod) << ad;
        EXPECT_EQ(c.cikti, d.cikti) << ad;
        EXPECT_EQ(c.hata, d.hata) << ad;
    }
    EXPECT_EQ(Komutlar::bayraklar().size(), 29u);
}

TEST(Komutlar, JsonOutputKeepsSlashesAndDegradesToAnEmptyLine) {
    testing::internal::CaptureStdout();
    Komutlar::json({{"yol", "/a/b"}, {"ad", std::string("k\xff")}, {"bos", nlohmann::json::array()}});
    Komutlar::json({{"kotu", std::nan("")}});
    std::string cikti = testing::internal::GetCapturedStdout();
    EXPECT_EQ(cikti, "{\n  \"ad\" : \"k\xEF\xBF\xBD\",\n  \"bos\" : [],\n  \"yol\" : \"/a/b\"\n}\n\n");
}
