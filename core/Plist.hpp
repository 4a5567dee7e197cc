#pragma once
// Property lists (XML or binary) read into a JSON value: dictionaries become
// objects, dates seconds since 1970, data its bytes as text. Look-ups yield
// nothing on absence or on a value of another type; none of them throws.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace Plist {

std::optional<nlohmann::json> coz(const std::string& baytlar);
std::optional<nlohmann::json> dosyaOku(const std::string& yol);
// An XML property list of the value, for tools that answer with one.
std::string xml(const nlohmann::json& deger);

std::optional<std::string> metin(const nlohmann::json& sozluk, const std::string& anahtar);
std::optional<double> sayi(const nlohmann::json& sozluk, const std::string& anahtar);
std::optional<bool> mantik(const nlohmann::json& sozluk, const std::string& anahtar);
// The array or dictionary under the key; an empty one of its kind otherwise.
nlohmann::json dizi(const nlohmann::json& sozluk, const std::string& anahtar);
nlohmann::json sozluk(const nlohmann::json& sozluk, const std::string& anahtar);

}  // namespace Plist
