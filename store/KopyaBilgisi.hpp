#pragma once
// The statistics of one dated copy, stored inside the image as
// meta/<name>.json and in the copy history outside it.
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "core/Saat.hpp"

struct KopyaBilgisi {
    std::string ad;
    std::optional<double> aktarilan{};
    std::optional<int64_t> kopyalanan{};
    std::optional<int64_t> yeni{};
    std::optional<int64_t> degisen{};
    std::optional<int64_t> silinen{};
    std::optional<double> silinenBayt{};
    std::optional<double> sure{};
    std::optional<double> toplamBoyut{};
    std::optional<int64_t> dosyaSayisi{};
    std::optional<std::map<std::string, double>> kaynaklar{};

    // The instant the name stands for; the earliest instant when it is not a
    // copy name, so it sorts before every real copy.
    Saat::Zaman tarih() const;

    bool operator==(const KopyaBilgisi&) const = default;
};

// Absent fields are left out, never written as null.
void to_json(nlohmann::json& j, const KopyaBilgisi& b);
// Throws unless "ad" is text and every present field has its type.
void from_json(const nlohmann::json& j, KopyaBilgisi& b);
