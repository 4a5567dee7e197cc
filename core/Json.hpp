#pragma once
// The program's one JSON text form: pretty printed with two spaces and
// "key" : value, keys sorted, whole doubles without a fraction.
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
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

template <typename T>
concept Secimli = requires { typename T::value_type; } && std::is_same_v<T, std::optional<typename T::value_type>>;
template <typename T>
concept SayiHaritasi = requires { typename T::mapped_type; } && std::is_floating_point_v<typename T::mapped_type>;

[[noreturn]] inline void turHatasi(const char* anahtar, const char* beklenen) {
    throw std::invalid_argument(std::string("\"") + anahtar + "\" is not " + beklenen);
}

// The one strict reader of a field's value: a value of another JSON type is
// an error, as a typed decoder would have it; an integer only whole and in
// range (5.5 is never read as 5), also inside a list; a number is never a
// boolean.
template <typename T>
void deger(const nlohmann::json& v, const char* anahtar, T& hedef) {
    if constexpr (TamSayi<T>) {
        hedef = tamSayiOku<T>(v, anahtar);
    } else if constexpr (std::is_floating_point_v<T>) {
        if (!v.is_number()) turHatasi(anahtar, "a number");
        hedef = v.get<T>();
    } else if constexpr (TamSayiListesi<T> && !std::is_same_v<T, std::string>) {
        if (!v.is_array()) turHatasi(anahtar, "a list");
        T liste;
        for (const auto& e : v) liste.push_back(tamSayiOku<typename T::value_type>(e, anahtar));
        hedef = std::move(liste);
    } else if constexpr (SayiHaritasi<T>) {
        if (!v.is_object()) turHatasi(anahtar, "an object");
        T harita;
        for (const auto& [k, e] : v.items()) deger(e, anahtar, harita[k]);
        hedef = std::move(harita);
    } else {
        v.get_to(hedef);
    }
}

// One field of a record: its key and its member. Plain fields are required;
// optional ones may be missing or null, and are left out, never null, when
// empty; `varsayilanli` fields keep their default when missing or null.
template <typename S, typename T>
struct Alan {
    const char* anahtar;
    T S::*uye;
    bool varsayilanli = false;
};
template <typename S, typename T>
constexpr Alan<S, T> alan(const char* anahtar, T S::*uye) {
    return {anahtar, uye, false};
}
template <typename S, typename T>
constexpr Alan<S, T> varsayilanli(const char* anahtar, T S::*uye) {
    return {anahtar, uye, true};
}

// A record from its table of fields; the table is the whole record.
template <typename S, typename... T>
void yaz(nlohmann::json& j, const S& s, const std::tuple<Alan<S, T>...>& alanlar) {
    j = nlohmann::json::object();
    std::apply(
        [&](const auto&... a) {
            auto bir = [&](const auto& alan) {
                const auto& v = s.*(alan.uye);
                if constexpr (Secimli<std::remove_cvref_t<decltype(v)>>) {
                    if (v) j[alan.anahtar] = *v;
                } else {
                    j[alan.anahtar] = v;
                }
            };
            (bir(a), ...);
        },
        alanlar);
}

// Reads every field into a fresh record; the target changes only when the
// whole record reads.
template <typename S, typename... T>
void oku(const nlohmann::json& j, S& s, const std::tuple<Alan<S, T>...>& alanlar) {
    if (!j.is_object()) throw std::invalid_argument("a record is not a JSON object");
    S yeni{};
    std::apply(
        [&](const auto&... a) {
            auto bir = [&](const auto& alan) {
                auto& hedef = yeni.*(alan.uye);
                using U = std::remove_cvref_t<decltype(hedef)>;
                auto it = j.find(alan.anahtar);
                bool yok = it == j.end() || it->is_null();
                if constexpr (Secimli<U>) {
                    if (yok) return;
                    typename U::value_type d{};
                    deger(*it, alan.anahtar, d);
                    hedef = std::move(d);
                } else {
                    if (yok && alan.varsayilanli) return;
                    deger(j.at(alan.anahtar), alan.anahtar, hedef);
                }
            };
            (bir(a), ...);
        },
        alanlar);
    s = std::move(yeni);
}

}  // namespace Json
