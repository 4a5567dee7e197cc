#include <gtest/gtest.h>

#include "backup/Durdurma.hpp"
#include "backup/Karar.hpp"
#include "backup/Ozet.hpp"
#include "core/Dosya.hpp"
#include "core/Saat.hpp"
#include "tests/support/SahteArac.hpp"
#include "tests/support/TestOrtami.hpp"

namespace {

struct KararBekle : testing::Test {
    Saat::SahteSaat saat;
    void SetUp() override {
        Saat::kaynakKur(&saat);
        unsetenv("BRIMVALE_CEVAP");
        unsetenv("BRIMVALE_SEC");
        Yedekleme::durduruldu = false;
    }
    void TearDown() override { Saat::kaynakKur(nullptr); }
    void cevapYaz(const std::string& metin) { atomikYaz(Yedekleme::kararYolu(), metin); }
};

}  // namespace

TEST_F(KararBekle, PresetAnswerFromTheEnvironment) {
    setenv("BRIMVALE_CEVAP", "yedekle", 1);
    EXPECT_EQ(Yedekleme::kararBekle(), (Karar{"yedekle", {}}));
    setenv("BRIMVALE_SEC", "3,beş,5,,-1, 7", 1);
    EXPECT_EQ(Yedekleme::kararBekle(), (Karar{"yedekle", {3, 5, -1}}));
    EXPECT_EQ(saat.beklemeSayisi, 0);
}

TEST_F(KararBekle, AnswerWrittenBeforeTheWaitIsTakenAtOnce) {
    SahteArac open(TestOrtami::araclar(), "open");
    cevapYaz(R"({"islem": "cikar", "sec": [1, 4]})");
    EXPECT_EQ(Yedekleme::kararBekle(), (Karar{"cikar", {1, 4}}));
    EXPECT_EQ(saat.beklemeSayisi, 0);
    // A private state directory never brings the real application forward.
    EXPECT_FALSE(Yedekleme::onePaket());
    EXPECT_TRUE(open.cagrilar().empty());
}

TEST_F(KararBekle, PollsEverySecondAndSkipsAnswersThatDoNotDecode) {
    saat.herBeklemede = [&] {
        if (saat.beklemeSayisi == 1) cevapYaz("{\"islem\": \"yedek");
        if (saat.beklemeSayisi == 2) cevapYaz(R"({"islem": "yedekle"})");
        if (saat.beklemeSayisi == 3) cevapYaz(R"({"islem": 1, "sec": []})");
        if (saat.beklemeSayisi == 4) cevapYaz(R"({"islem": "iptal", "sec": []})");
    };
    EXPECT_EQ(Yedekleme::kararBekle(), (Karar{"iptal", {}}));
    EXPECT_EQ(saat.beklemeSayisi, 4);
    EXPECT_DOUBLE_EQ(saat.toplamBekleme, 4.0);
}

TEST_F(KararBekle, NoAnswerForTwoHoursPostpones) {
    EXPECT_EQ(Yedekleme::kararBekle(), (Karar{"iptal", {}}));
    EXPECT_DOUBLE_EQ(saat.toplamBekleme, 7200.0);
}

TEST_F(KararBekle, StopEndsTheWaitWithinASecond) {
    saat.herBeklemede = [&] {
        if (saat.beklemeSayisi == 3) Yedekleme::durduruldu = true;
    };
    EXPECT_EQ(Yedekleme::kararBekle(), (Karar{"iptal", {}}));
    EXPECT_EQ(saat.beklemeSayisi, 3);
}

// Whole numbers of a record another process wrote are read only when they fit;
// such a record fails to decode like one with a wrong type.
TEST(Kayitlar, NumbersOutOfRangeOrWithAFractionFailToDecode) {
    struct Durum {
        std::string metin;
        bool karar;  // else a summary
        bool gecerli;
    };
    const std::string ozet =
        R"("silinen":[],"silinenKlasor":[],"silinenBayt":0,"degisen":0,"aktarilacakBayt":0,"oge":0,"enCok":[],"esik":false,"elle":false)";
    std::vector<Durum> durumlar = {
        {R"({"islem":"yedekle","sec":[1,2]})", true, true},
        {R"({"islem":"yedekle","sec":[1e10]})", true, false},
        {R"({"islem":"yedekle","sec":[1.5]})", true, false},
        {R"({"islem":"yedekle","sec":[3.0]})", true, true},
        {"{" + ozet + R"(,"yeni":1})", false, true},
        {"{" + ozet + R"(,"yeni":1e30})", false, false},
        {"{" + ozet + R"(,"yeni":9223372036854775808})", false, false},
        {"{" + ozet + R"(,"yeni":5.5})", false, false},
    };
    for (const auto& d : durumlar) {
        auto j = nlohmann::json::parse(d.metin);
        bool gecerli = true;
        try {
            if (d.karar)
                (void)j.get<Karar>();
            else
                (void)j.get<Ozet>();
        } catch (const std::exception&) {
            gecerli = false;
        }
        EXPECT_EQ(gecerli, d.gecerli) << d.metin;
    }
}
