#pragma once
// One inventoried program: an application, a Homebrew cask or a formula.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

enum class Kaynak { appStore, homebrew, indirme, arac };

struct Program {
    std::string id;    // "app:" + bundle path, "cask:" + token, "formula:" + full name
    std::string ad;
    Kaynak kaynak = Kaynak::indirme;
    std::optional<std::string> yol;
    std::optional<std::string> kimlik;
    std::optional<std::string> surum;
    std::optional<std::string> brew;
    bool elle = false;

    // The origin's label in the interface language.
    std::string kaynakAdi() const;
    bool operator==(const Program&) const = default;
};

void to_json(nlohmann::json& j, const Kaynak& k);
void from_json(const nlohmann::json& j, Kaynak& k);
void to_json(nlohmann::json& j, const Program& p);
// id, ad, kaynak and elle are required; the rest may be missing.
void from_json(const nlohmann::json& j, Program& p);
