#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

TEST(GuvenliYol, ConfinesEveryEscape) {
    struct Durum { std::string kok, rel; std::optional<std::string> beklenen; };
    std::vector<Durum> durumlar = {
        {"/r", "a/../../etc", std::nullopt}, {"/r", ".", "/r"},          {"/r", "", "/r"},
        {"/r", "a/./b", "/r/a/b"},           {"/r", "a//b/", "/r/a/b"},  {"/r", "/etc", std::nullopt},
        {"/r", "../rx/y", std::nullopt},     {"/r", "..", std::nullopt}, {"/r/", "a", "/r/a"},
        {"/r/s/..", "a", "/r/a"},            {"/", "a/b", "/a/b"},       {"/r", "a/../b", "/r/b"},
    };
    for (const auto& d : durumlar) EXPECT_EQ(guvenliYol(d.kok, d.rel), d.beklenen) << d.kok << " + " << d.rel;
}

TEST(Bayt, DecimalFileSizeStyle) {
    std::vector<std::pair<double, std::string>> durumlar = {
        {0, "Zero KB"},        {0.9, "Zero KB"},         {1, "1 byte"},           {512, "512 bytes"},
        {999, "999 bytes"},    {1000, "1 KB"},           {1500, "2 KB"},          {999499, "999 KB"},
        {999999, "1 MB"},      {1234567, "1.2 MB"},      {1000000, "1 MB"},       {1200000000, "1.2 GB"},
        {1234567890, "1.23 GB"}, {5368709120, "5.37 GB"}, {2e12, "2 TB"},         {-1500, "-2 KB"},
    };
    for (const auto& [n, s] : durumlar) EXPECT_EQ(bayt(n), s) << n;
}

// Written whole, sorted, with no temporary left beside it on success or
// failure; read back only as the shape asked for.
TEST(JsonDosyasi, WritesWholeSortedAndReadsBackOnlyItsOwnShape) {
    std::string yol = Yol::durum() + "/yeni/klasor/kayit.json";
    jsonYaz({{"b", 1}, {"a", "x/y"}, {"c", 5368709120.0}}, yol);
    EXPECT_EQ(oku(yol), "{\n  \"a\" : \"x\\/y\",\n  \"b\" : 1,\n  \"c\" : 5368709120\n}");
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(yol).parent_path()), fs::directory_iterator{}), 1);
    EXPECT_EQ(jsonOku<std::vector<int>>(yol), std::nullopt);
    TestOrtami::dosyaYaz(yol, "{bozuk");
    EXPECT_EQ(jsonOku<nlohmann::json>(yol), std::nullopt);
    EXPECT_EQ(jsonOku<nlohmann::json>(Yol::durum() + "/yok.json"), std::nullopt);

    std::string klasor = TestOrtami::kok() + "/hedef";
    TestOrtami::dosyaYaz(klasor + "/a.json/icerik", "x");  // the target is a folder: the rename fails
    EXPECT_ANY_THROW(jsonYaz({{"yeni", true}}, klasor + "/a.json"));
    EXPECT_EQ(std::distance(fs::directory_iterator(klasor), fs::directory_iterator{}), 1);
    EXPECT_EQ(oku(klasor + "/a.json/icerik"), "x");
}

// Text only when valid UTF-8; only regular files, within the caller's bound;
// files of /proc report no size and are read all the same.
TEST(Oku, TextOnlyWhenValidUtf8AndRegularFilesOnlyWithinTheBound) {
    std::string k = TestOrtami::kok();
    TestOrtami::dosyaYaz(k + "/metin", "çağ\n");
    TestOrtami::dosyaYaz(k + "/ikili", std::string("a\xff" "b"));
    TestOrtami::dosyaYaz(k + "/sinir", std::string(100, 'a'));
    EXPECT_EQ(oku(k + "/metin"), "çağ\n");
    EXPECT_EQ(oku(k + "/ikili"), std::nullopt);
    EXPECT_EQ(oku(k + "/yok"), std::nullopt);
    struct Durum { std::string yol; size_t sinir; bool okunur; };
    for (const auto& d : std::vector<Durum>{{k + "/sinir", 100, true}, {k + "/sinir", 99, false},
                                           {"/proc/self/mountinfo", 1 << 20, true}, {"/dev/null", 1 << 20, false},
                                           {k, 1 << 20, false}})
        EXPECT_EQ(baytlariOku(d.yol, d.sinir).has_value(), d.okunur) << d.yol << " " << d.sinir;
}

// Into the home Trash, keeping where each item was and never overwriting;
// into the replacement folder when one is set, under a random prefix.
TEST(CopeTasi, HomeTrashKeepsTheOriginalPathOrTheReplacementFolderTakesIt) {
    std::string ev = TestOrtami::ev(), trash = ev + "/.local/share/Trash";
    for (int i = 0; i < 2; ++i) {
        TestOrtami::dosyaYaz(ev + "/Belgeler/not 1.txt", "surum " + std::to_string(i));
        copeTasi(ev + "/Belgeler/not 1.txt");
    }
    EXPECT_FALSE(fs::exists(ev + "/Belgeler/not 1.txt"));
    std::vector<std::string> icerikler;
    for (const auto& e : fs::directory_iterator(trash + "/files")) {
        icerikler.push_back(oku(e.path().string()).value_or("?"));
        auto bilgi = oku(trash + "/info/" + e.path().filename().string() + ".trashinfo");
        ASSERT_TRUE(bilgi) << e.path();
        EXPECT_NE(bilgi->find("[Trash Info]\nPath=" + ev + "/Belgeler/not%201.txt\nDeletionDate="), std::string::npos)
            << *bilgi;
    }
    std::sort(icerikler.begin(), icerikler.end());
    EXPECT_EQ(icerikler, (std::vector<std::string>{"surum 0", "surum 1"}));
    EXPECT_ANY_THROW(copeTasi(ev + "/Belgeler/yok.txt"));

    std::string cop = TestOrtami::kok() + "/cop";
    setenv("BRIMVALE_COP", cop.c_str(), 1);
    TestOrtami::dosyaYaz(TestOrtami::kok() + "/k/icerik.txt", "veri");
    copeTasi(TestOrtami::kok() + "/k");
    EXPECT_FALSE(fs::exists(TestOrtami::kok() + "/k"));
    std::vector<fs::path> icerik(fs::directory_iterator(cop), fs::directory_iterator{});
    ASSERT_EQ(icerik.size(), 1u);
    std::string ad = icerik[0].filename().string();
    EXPECT_EQ(ad.size(), 10u);
    EXPECT_EQ(ad.substr(8), "-k");
    EXPECT_EQ(oku(icerik[0].string() + "/icerik.txt"), "veri");
    EXPECT_ANY_THROW(copeTasi(TestOrtami::kok() + "/yok"));
}

TEST(Yol, EmptyStateVariableFallsBackToHome) {
    setenv("BRIMVALE_DURUM", "", 1);
    EXPECT_EQ(Yol::durum(), TestOrtami::ev() + "/Library/Application Support/Ondrak Brimvale");
    setenv("BRIMVALE_DURUM", "/x/durum", 1);
    EXPECT_EQ(Yol::devam(), "/x/durum/imaj/yedekler/.devam");
}

TEST(SonSatirlar, TheLastLinesOfAFileOfAnySizeReadFromItsEnd) {
    auto satirlar = [](int n, const std::string& onek = "satir ") {
        std::string s;
        for (int i = 1; i <= n; ++i) s += onek + std::to_string(i) + "\n";
        return s;
    };
    // 200,000 lines: many read blocks, the first cut in the middle of a line.
    std::string buyuk = satirlar(200000, "uzun bir günlük satırı ");
    struct {
        const char* ne;
        std::string icerik;
        size_t adet;
        std::vector<std::string> beklenen;
    } durumlar[] = {
        {"fewer lines than asked", "a\nb\n", 5, {"a", "b"}},
        {"no final line break", "a\nb\nc", 2, {"b", "c"}},
        {"empty lines are skipped", "a\n\n\nb\n\n", 2, {"a", "b"}},
        {"empty file", "", 3, {}},
        {"a large file", buyuk, 3,
         {"uzun bir günlük satırı 199998", "uzun bir günlük satırı 199999", "uzun bir günlük satırı 200000"}},
        {"exactly the lines there are", satirlar(500), 500, {}},
    };
    for (auto& d : durumlar) {
        std::string yol = TestOrtami::kok() + "/metin";
        TestOrtami::dosyaYaz(yol, d.icerik);
        auto s = sonSatirlar(yol, d.adet);
        if (d.beklenen.empty() && !d.icerik.empty()) {
            ASSERT_EQ(s.size(), d.adet) << d.ne;
            EXPECT_EQ(s.front(), "satir 1") << d.ne;
        } else {
            EXPECT_EQ(s, d.beklenen) << d.ne;
        }
    }
    // Each line of a 400-line tail of the large file is whole.
    std::string yol = TestOrtami::kok() + "/metin";
    TestOrtami::dosyaYaz(yol, buyuk);
    auto s = sonSatirlar(yol, 400);
    ASSERT_EQ(s.size(), 400u);
    EXPECT_EQ(s.front(), "uzun bir günlük satırı 199601");
    EXPECT_TRUE(sonSatirlar(TestOrtami::kok() + "/yok", 3).empty());
    EXPECT_TRUE(sonSatirlar(TestOrtami::kok(), 3).empty()) << "a folder";
}
