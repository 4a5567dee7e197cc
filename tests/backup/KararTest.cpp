#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "backup/Durdurma.hpp"
#include "backup/Karar.hpp"
#include "backup/Ozet.hpp"
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

// Whole numbers of a record another process wrote are read only when they fit;
// such a record fails to decode like one with a wrong type.
TEST(Kayitlar, NumbersOutOfRangeOrWithAFractionFailToDecode) {
    struct Durum { std::string metin; bool karar, gecerli; };  // karar: else a summary
    const std::string ozet =
        R"({"silinen":[],"silinenKlasor":[],"silinenBayt":0,"degisen":0,"aktarilacakBayt":0,"oge":0,"enCok":[],"esik":false,"elle":false,"yeni":)";
    for (const auto& d : std::vector<Durum>{
             {R"({"islem":"yedekle","sec":[1,2]})", true, true}, {R"({"islem":"yedekle","sec":[1e10]})", true, false},
             {R"({"islem":"yedekle","sec":[1.5]})", true, false}, {R"({"islem":"yedekle","sec":[3.0]})", true, true},
             {ozet + "1}", false, true}, {ozet + "1e30}", false, false},
             {ozet + "9223372036854775808}", false, false}, {ozet + "5.5}", false, false}}) {
        auto j = nlohmann::json::parse(d.metin);
        bool gecerli = true;
        try {
            d.karar ? (void)j.get<Karar>() : (void)j.get<Ozet>();
        } catch (const std::exception&) {
            gecerli = false;
        }
        EXPECT_EQ(gecerli, d.gecerli) << d.metin;
    }
}
