#include <gtest/gtest.h>

#include "temel/Metin.hpp"

TEST(MetinSayi, DigitsThatFitOrNothing) {
    struct Durum { std::string metin; std::optional<int64_t> beklenen; };
    const std::optional<int64_t> yok;
    std::vector<Durum> durumlar = {
        {"0", 0},      {"0042", 42},  {"9223372036854775807", INT64_MAX}, {"9223372036854775808", yok},
        {"", yok},     {"-1", yok},   {"+1", yok},   {" 1", yok},         {"1 ", yok},
        {"1,000", yok}, {"12a", yok}, {"1e5", yok},  {std::string(400, '9'), yok},
    };
    for (const auto& d : durumlar) EXPECT_EQ(Metin::sayi(d.metin), d.beklenen) << d.metin.substr(0, 30);
}

TEST(MetinNulListesi, EachEntryEndsInNulAndEmptyOnesStay) {
    using V = std::vector<std::string>;
    const std::vector<std::pair<std::string, V>> durumlar = {
        {std::string(), {}},
        {std::string("a\0b\0", 4), {"a", "b"}},
        {std::string("-ro\0\0/yer\0", 10), {"-ro", "", "/yer"}},
        {std::string("son-nul-yok", 11), {"son-nul-yok"}},
    };
    for (const auto& [girdi, beklenen] : durumlar) EXPECT_EQ(Metin::nulListesi(girdi), beklenen);
}
