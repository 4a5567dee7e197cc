#include <gtest/gtest.h>

#include "temel/Metin.hpp"

TEST(MetinSayi, DigitsThatFitOrNothing) {
    struct Durum {
        std::string metin;
        std::optional<int64_t> beklenen;
    };
    std::vector<Durum> durumlar = {
        {"0", 0},
        {"0042", 42},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", std::nullopt},
        {std::string(400, '9'), std::nullopt},
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1,000", std::nullopt},
        {"12a", std::nullopt},
        {"1e5", std::nullopt},
    };
    for (const auto& d : durumlar) EXPECT_EQ(Metin::sayi(d.metin), d.beklenen) << d.metin.substr(0, 30);
}
