#pragma once
// The private world of one fuzzing process: its own state directory, home,
// tool folder and time zone, removed when the process ends normally. The
// entry point is shared: it sets the world up once and hands every input, as
// text, to the harness's `dene`; a rule a harness finds broken is a crash.
#include <cstdlib>
#include <optional>
#include <string>

#include "core/Json.hpp"
#include "temel/Metin.hpp"

namespace FuzzOrtami {

// Each harness defines this: one input.
void dene(const std::string& girdi);

std::string kok();  // the private root folder
// Writes a file whole, creating its folder.
void dosyaYaz(const std::string& yol, const std::string& icerik);
// A tool in BRIMVALE_ARACLAR that prints the file `cikti` and exits 0, so
// the engine reads fuzz input as that tool's output.
void sahteArac(const std::string& ad, const std::string& cikti);

inline void gerek(bool kural) {
    if (!kural) std::abort();
}

// JSON text decoded as T; nothing when it is not JSON or not a T.
template <typename T>
std::optional<T> coz(const std::string& metin) {
    auto j = nlohmann::json::parse(metin, nullptr, false);
    try {
        if (!j.is_discarded()) return j.get<T>();
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// A record survives being written the way the engine writes it and read again.
template <typename T>
void geriOkunur(const T& kayit) {
    gerek(coz<T>(Metin::utf8Onar(Json::metin(nlohmann::json(kayit), true))) == kayit);
}

}  // namespace FuzzOrtami
