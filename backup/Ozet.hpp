#pragma once
// What the change check found, written as is/ozet.json for the question.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

struct SilinenDosya {
    int64_t i = 0;     // position in the sorted list, the number a decision marks
    std::string yol;   // <source name>/<path>
    double boy = 0;    // as stored in the previous copy
    double zaman = 0;  // whole seconds
    bool operator==(const SilinenDosya&) const = default;
};

struct EnCok {
    std::string klasor;
    int64_t adet = 0;
    double boy = 0;
    bool operator==(const EnCok&) const = default;
};

struct Ozet {
    std::vector<SilinenDosya> silinen;
    std::vector<std::string> silinenKlasor;
    double silinenBayt = 0;
    int64_t yeni = 0;
    int64_t degisen = 0;
    double aktarilacakBayt = 0;
    std::optional<double> hazirBayt;  // already in the unfinished copy
    int64_t oge = 0;
    std::vector<EnCok> enCok;
    bool esik = false;
    std::optional<std::string> sonYedek;
    bool elle = false;
    bool operator==(const Ozet&) const = default;
};

void to_json(nlohmann::json& j, const SilinenDosya& s);
void from_json(const nlohmann::json& j, SilinenDosya& s);
void to_json(nlohmann::json& j, const EnCok& e);
void from_json(const nlohmann::json& j, EnCok& e);
void to_json(nlohmann::json& j, const Ozet& o);
void from_json(const nlohmann::json& j, Ozet& o);
