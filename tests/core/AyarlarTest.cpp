#include <gtest/gtest.h>

#include "core/Ayarlar.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "tests/support/TestOrtami.hpp"

namespace {
Ayarlar yukleMetinden(const std::string& json) {
    TestOrtami::dosyaYaz(Yol::ayarlar(), json);
    return Ayarlar::yukle();
}
}  // namespace

TEST(Ayarlar, DecodesKeyByKeyAndFallsBackWhole) {
    Ayarlar varsayilan;
    EXPECT_EQ(yukleMetinden("{}"), varsayilan);

    Ayarlar sadeceCikar = yukleMetinden(R"({"otomatikCikar": false})");
    Ayarlar beklenen;
    beklenen.otomatikCikar = false;
    EXPECT_EQ(sadeceCikar, beklenen);

    // null means the default; unknown keys are ignored.
    EXPECT_EQ(yukleMetinden(R"({"imajAdi": null, "diskUUID": null, "bilinmeyen": [1, 2]})"), varsayilan);

    Ayarlar dolu = yukleMetinden(
        R"({"diskUUID": "abc", "kaynaklar": ["/a"], "saklama": {"saatlik": 1, "gunluk": 2, "haftalik": 3, "aylik": 4, "yillik": -1},
            "silmeEsigiDosya": 7, "silmeEsigiBayt": 10, "notMetni": "not"})");
    EXPECT_EQ(dolu.diskUUID, "abc");
    EXPECT_EQ(dolu.kaynaklar, std::vector<std::string>{"/a"});
    EXPECT_EQ(dolu.saklama, (Saklama{1, 2, 3, 4, -1}));
    EXPECT_EQ(dolu.silmeEsigiDosya, 7);
    EXPECT_EQ(dolu.silmeEsigiBayt, 10.0);
    EXPECT_EQ(dolu.haric, Ayarlar::varsayilanHaric());

    // Any wrong type, an incomplete retention object or a damaged file: all defaults.
    for (const char* bozuk : {R"({"saklama": {"saatlik": 5}})", R"({"seyrelt": 1, "diskUUID": "x"})",
                              R"({"kaynaklar": ["/a", 3]})", R"({"silmeEsigiDosya": 1.5})", R"({"imajAdi": 4})",
                              R"([1, 2])", "{bozuk", ""})
        EXPECT_EQ(yukleMetinden(bozuk), varsayilan) << bozuk;
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
    EXPECT_EQ(j->size(), 14u);  // 13 fields always, plus the one optional that is set
    EXPECT_EQ(Ayarlar::yukle(), a);
}

TEST(Ayarlar, SourceNamesAreUniqueInOrder) {
    Ayarlar a;
    a.kaynaklar = {"/a/Belgeler", "/b/Belgeler/", "/c/Belgeler", "/d/Resimler", "/e/Belgeler 2"};
    auto adlar = a.kaynakAdlari();
    std::vector<std::string> beklenen = {"Belgeler", "Belgeler 2", "Belgeler 3", "Resimler", "Belgeler 2 2"};
    ASSERT_EQ(adlar.size(), beklenen.size());
    for (size_t i = 0; i < adlar.size(); ++i) EXPECT_EQ(adlar[i].ad, beklenen[i]);
    EXPECT_EQ(a.kaynakYolu("Belgeler 3"), "/c/Belgeler");
    EXPECT_EQ(a.kaynakYolu("Yok"), std::nullopt);
}
