#pragma once
// The program's one JSON text form: pretty printed with two spaces and
// "key" : value, keys sorted, whole doubles without a fraction.
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

namespace Json {

// Throws std::domain_error for a value JSON cannot hold (NaN, infinity).
// With egikCizgiKacir every "/" in a string is written as "\/".
std::string metin(const nlohmann::json& deger, bool egikCizgiKacir);

// A whole number that fits in 64 bits: an integer, or a number with no
// fraction that a double holds exactly (500.0). 5.5, 9223372036854775808 or a
// text are nothing, where a plain get<int64_t>() would truncate or wrap.
std::optional<int64_t> tamSayi(const nlohmann::json& deger);

// Any integer of ours from a JSON value: a whole number in the type's range,
// else std::invalid_argument (a record that holds one fails to decode).
template <typename T>
T tamSayiOku(const nlohmann::json& deger, const char* anahtar) {
    auto n = tamSayi(deger);
    if (!n || std::cmp_less(*n, std::numeric_limits<T>::min()) || std::cmp_greater(*n, std::numeric_limits<T>::max()))
        throw std::invalid_argument(std::string("\"") + anahtar + "\" is not a whole number in range");
    return static_cast<T>(*n);
}

template <typename T>
concept TamSayi = std::is_integral_v<T> && !std::is_same_v<T, bool>;
template <typename T>
concept TamSayiListesi = requires { typename T::value_type; } && TamSayi<typename T::value_type>;

// A required record field; integers, also inside a list, only in range.
template <typename T>
void al(const nlohmann::json& j, const char* anahtar, T& deger) {
    const auto& v = j.at(anahtar);
    if constexpr (TamSayi<T>) {
        deger = tamSayiOku<T>(v, anahtar);
    } else if constexpr (TamSayiListesi<T> && !std::is_same_v<T, std::string>) {
        if (!v.is_array()) throw std::invalid_argument(std::string("\"") + anahtar + "\" is not a list");
        T liste;
        for (const auto& e : v) liste.push_back(tamSayiOku<typename T::value_type>(e, anahtar));
        deger = std::move(liste);
    } else {
        v.get_to(deger);
    }
}

// Optional record fields: left out of the JSON when absent, never null; a
// missing key or null reads as absent.
template <typename T>
void istegeBagliYaz(nlohmann::json& j, const char* anahtar, const std::optional<T>& deger) {
    if (deger) j[anahtar] = *deger;
}

template <typename T>
void istegeBagliOku(const nlohmann::json& j, const char* anahtar, std::optional<T>& deger) {
    auto it = j.find(anahtar);
    if (it == j.end() || it->is_null()) return;
    if constexpr (TamSayi<T>) {
        deger = tamSayiOku<T>(*it, anahtar);
    } else {
        deger = it->get<T>();
    }
}

}  // namespace Json
