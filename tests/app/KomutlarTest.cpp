#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <sstream>

#include "app/Komutlar.hpp"
#include "temel/Metin.hpp"
#include "tests/support/TestOrtami.hpp"

// Help: every flag of the table on a line of its own with its description.
void yardimOlmali(const std::string& cikti) {
    std::istringstream satirlar(cikti);
    std::map<std::string, std::string> aciklama;
    for (std::string satir; std::getline(satirlar, satir);) {
        if (!satir.starts_with("  -")) continue;
        // The flag, its arguments, then at least two spaces before the text.
        size_t bosluk = satir.find(' ', 2), ara = satir.find("  ", bosluk);
        aciklama[satir.substr(2, bosluk - 2)] = ara == std::string::npos ? "" : Metin::kirp(satir.substr(ara));
    }
    auto bayraklar = Komutlar::bayraklar();
    bayraklar.insert("-h,");
    for (const auto& b : bayraklar) EXPECT_NE(aciklama[b], "") << b;
    EXPECT_EQ(aciklama.size(), bayraklar.size()) << cikti;
}

TEST(Komutlar, ExitCodesAndOutputOfTheDispatcher) {
    struct Durum { std::vector<std::string> args; int kod; std::optional<std::string> cikti; std::string hata; };
    const std::string pencere = "The windows need a graphical desktop, and none was found. The command line works "
                                "without one: see --help.\n";
    const std::string bagliDegil = "the backup image is not attached; attach it with --ac\n";
    const auto yardim = std::nullopt;
    setenv("LANG", "C", 1);
    for (const auto& d : std::vector<Durum>{
             {{"--surum"}, 0, std::string(BRIMVALE_SURUM) + " (" + BRIMVALE_YAPI + ") \u2013 early version\n", ""},
             {{"--surumler"}, 64, "", "missing argument\n"},
             {{"--farkli-kaydet", "a", "b"}, 64, "", "missing argument\n"},
             {{}, 1, "", pencere},
             {{"x", "--surum"}, 1, "", pencere},
             {{"--help"}, 0, yardim, ""},
             {{"-h", "--surum"}, 0, yardim, ""},
             {{"--SURUM"}, 64, "", "unknown flag --SURUM; --help lists them\n"},
             {{"--surum=1"}, 64, "", "unknown flag --surum=1; --help lists them\n"},
             {{"-x"}, 64, "", "unknown flag -x; --help lists them\n"},
             // Commands that read the image say so rather than print an empty list.
             {{"--kopyalar"}, 1, "", bagliDegil},
             {{"--bilgiler"}, 1, "", bagliDegil},
             {{"--surumler", "a"}, 1, "", bagliDegil},
             {{"--yerine-koy", "2024-01-01_100000", "a"}, 1, "", bagliDegil},
             {{"--farkli-kaydet", "2024-01-01_100000", "a", TestOrtami::kok()}, 1, "", bagliDegil},
             {{"--degistirilmisler"}, 0, "[]\n", ""},
         }) {
        auto c = TestOrtami::calistir(d.args);
        std::string ad = d.args.empty() ? "(none)" : d.args[0];
        EXPECT_EQ(c.kod, d.kod) << ad;
        if (d.cikti) EXPECT_EQ(c.cikti, *d.cikti) << ad;
        else yardimOlmali(c.cikti);
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
