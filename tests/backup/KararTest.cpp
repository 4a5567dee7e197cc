#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "backup/Durdurma.hpp"
#include "backup/Karar.hpp"
#include "core/Saat.hpp"
#include "temel/Dosya.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

// The answer comes from the environment, from a file written before or during
// the wait (polled every second, undecodable ones skipped), or not at all.
TEST(KararBekle, AnswerFromTheEnvironmentTheFileOrNone) {
    struct Durum {
        std::string ad, cevap, sec;
        std::map<int, std::string> yazilan;  // the answer file as written at the n-th wait (0: before)
        int durdur;                          // the wait at which a stop comes (0: none)
        Karar karar;
        std::optional<int> bekleme;
        double sure;
    };
    std::vector<Durum> durumlar = {
        {"preset", "yedekle", "", {}, 0, {"yedekle", {}}, 0, 0},
        {"preset with a choice", "yedekle", "3,beş,5,,-1, 7", {}, 0, {"yedekle", {3, 5, -1}}, 0, 0},
        {"written before the wait", "", "", {{0, R"({"islem": "cikar", "sec": [1, 4]})"}}, 0, {"cikar", {1, 4}}, 0, 0},
        {"undecodable answers skipped", "", "",
         {{1, "{\"islem\": \"yedek"}, {2, R"({"islem": "yedekle"})"}, {3, R"({"islem": 1, "sec": []})"},
          {4, R"({"islem": "iptal", "sec": []})"}},
         0, {"iptal", {}}, 4, 4},
        {"no answer for two hours", "", "", {}, 0, {"iptal", {}}, std::nullopt, 7200},
        {"a stop", "", "", {}, 3, {"iptal", {}}, 3, 3},
    };
    SahteArac open(TestOrtami::araclar(), "open");
    for (const auto& d : durumlar) {
        std::filesystem::remove(Yedekleme::kararYolu());
        d.cevap.empty() ? unsetenv("BRIMVALE_CEVAP") : setenv("BRIMVALE_CEVAP", d.cevap.c_str(), 1);
        d.sec.empty() ? unsetenv("BRIMVALE_SEC") : setenv("BRIMVALE_SEC", d.sec.c_str(), 1);
        Yedekleme::durduruldu = false;
        Saat::SahteSaat saat;
        auto yaz = [&](int n) {
            if (d.yazilan.count(n)) atomikYaz(Yedekleme::kararYolu(), d.yazilan.at(n));
        };
        saat.herBeklemede = [&] {
            yaz(saat.beklemeSayisi);
            if (saat.beklemeSayisi == d.durdur) Yedekleme::durduruldu = true;
        };
        yaz(0);
        Saat::kaynakKur(&saat);
        EXPECT_EQ(Yedekleme::kararBekle(), d.karar) << d.ad;
        Saat::kaynakKur(nullptr);
        EXPECT_EQ(saat.beklemeSayisi, d.bekleme.value_or(saat.beklemeSayisi)) << d.ad;
        EXPECT_DOUBLE_EQ(saat.toplamBekleme, d.sure) << d.ad;
    }
    Yedekleme::durduruldu = false;
    // A private state directory never brings the real application forward.
    EXPECT_FALSE(Yedekleme::onePaket());
    EXPECT_TRUE(open.cagrilar().empty());
}

// The numbers of a record another process wrote are read only when whole and
// in range; a list holding another fails to decode like one of a wrong type.
// (Single numbers go through the same reader as the settings' and are tested there.)
TEST(Kayitlar, NumbersOutOfRangeOrWithAFractionFailToDecode) {
    for (const auto& [sec, gecerli] : std::vector<std::pair<std::string, bool>>{
             {"[1,2]", true}, {"[1e10]", false}, {"[1.5]", false}, {"[3.0]", true}}) {
        bool okundu = true;
        try {
            (void)nlohmann::json::parse(R"({"islem":"yedekle","sec":)" + sec + "}").get<Karar>();
        } catch (const std::exception&) {
            okundu = false;
        }
        EXPECT_EQ(okundu, gecerli) << sec;
    }
}
