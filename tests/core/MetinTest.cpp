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
