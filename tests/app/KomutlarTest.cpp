#include <gtest/gtest.h>

#include <cmath>

#include "app/Komutlar.hpp"
#include "tests/support/TestOrtami.hpp"

TEST(Komutlar, ExitCodesAndOutputOfTheDispatcher) {
    struct Durum { std::vector<std::string> args; int kod; std::string cikti, hata; };
    const std::string pencere = "The window application is not available in this build.\n";
    setenv("LANG", "C", 1);
    for (const auto& d : std::vector<Durum>{
             {{"--surum"}, 0, std::string(BRIMVALE_SURUM) + " (" + BRIMVALE_YAPI + ") \u2013 early version\n", ""},
             {{"--surumler"}, 64, "", "missing argument\n"},
             {{"--farkli-kaydet", "a", "b"}, 64, "", "missing argument\n"},
             {{}, 0, pencere, ""},
             {{"--help"}, 0, pencere, ""},
             {{"--SURUM"}, 0, pencere, ""},
             {{"--surum=1"}, 0, pencere, ""},
             {{"x", "--surum"}, 0, pencere, ""},
         }) {
        auto c = TestOrtami::calistir(d.args);
        std::string ad = d.args.empty() ? "(none)" : d.args[0];
        EXPECT_EQ(c.kod, d.kod) << ad;
        EXPECT_EQ(c.cikti, d.cikti) << ad;
        EXPECT_EQ(c.hata, d.hata) << ad;
    }
}

TEST(Komutlar, JsonOutputKeepsSlashesAndDegradesToAnEmptyLine) {
    testing::internal::CaptureStdout();
    Komutlar::json({{"yol", "/a/b"}, {"ad", std::string("k\xff")}, {"bos", nlohmann::json::array()}});
    Komutlar::json({{"kotu", std::nan("")}});
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "{\n  \"ad\" : \"k\xEF\xBF\xBD\",\n  \"bos\" : [],\n  \"yol\" : \"/a/b\"\n}\n\n");
}
