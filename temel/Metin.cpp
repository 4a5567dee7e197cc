#include "temel/Metin.hpp"

#include <charconv>
#include <cmath>

namespace Metin {
namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is invalid.
size_t dizilimBoyu(std::string_view s, size_t i) {
    auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    if (c < 0x80) return 1;
    size_t n;
    unsigned int kod;
    if (c >= 0xC2 && c <= 0xDF) { n = 2; kod = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { n = 3; kod = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { n = 4; kod = c & 0x07; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        kod = (kod << 6) | (b(i + k) & 0x3F);
    }
    if ((n == 3 && kod < 0x800) || (n == 4 && (kod < 0x10000 || kod > 0x10FFFF))) return 0;
    if (kod >= 0xD800 && kod <= 0xDFFF) return 0;
    return n;
}

bool bosluk(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool utf8Gecerli(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t n = dizilimBoyu(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string utf8Onar(std::string_view s) {
    std::string sonuc;
    sonuc.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t n = dizilimBoyu(s, i);
        if (n == 0) {
            sonuc += "\xEF\xBF\xBD";
            ++i;
        } else {
            sonuc.append(s.substr(i, n));
            i += n;
        }
    }
    return sonuc;
}

std::string kirp(std::string_view s) {
    size_t bas = 0, son = s.size();
    while (bas < son && bosluk(s[bas])) ++bas;
    while (son > bas && bosluk(s[son - 1])) --son;
    return std::string(s.substr(bas, son - bas));
}

std::vector<std::string> bol(std::string_view s, char ayrac, bool boslariAt) {
    std::vector<std::string> parcalar;
    size_t bas = 0;
    while (true) {
        size_t yer = s.find(ayrac, bas);
        std::string_view parca = s.substr(bas, yer == std::string_view::npos ? std::string_view::npos : yer - bas);
        if (!boslariAt || !parca.empty()) parcalar.emplace_back(parca);
        if (yer == std::string_view::npos) break;
        bas = yer + 1;
    }
    return parcalar;
}

std::vector<std::string> nulListesi(std::string_view s) {
    auto parcalar = bol(s, '\0', false);
    // The last entry's own NUL leaves an empty part after it.
    if (!parcalar.empty() && parcalar.back().empty()) parcalar.pop_back();
    return parcalar;
}

std::string birlestir(const std::vector<std::string>& parcalar, std::string_view ayrac) {
    std::string sonuc;
    for (size_t i = 0; i < parcalar.size(); ++i) {
        if (i) sonuc += ayrac;
        sonuc += parcalar[i];
    }
    return sonuc;
}

bool iceriyor(std::string_view s, std::string_view parca) { return s.find(parca) != std::string_view::npos; }

std::optional<int64_t> sayi(std::string_view s) {
    // from_chars alone would take a leading "-".
    if (s.empty() || s[0] < '0' || s[0] > '9') return std::nullopt;
    int64_t n = 0;
    auto [son, hata] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (hata != std::errc() || son != s.data() + s.size()) return std::nullopt;
    return n;
}

namespace {

// from_chars reads the whole text or nothing; a "+" it does not take.
template <typename T>
std::optional<T> tamOku(std::string_view s) {
    if (s.starts_with('+')) s.remove_prefix(1);
    if (s.empty() || s[0] == '+') return std::nullopt;
    T n{};
    auto [son, hata] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (hata != std::errc() || son != s.data() + s.size()) return std::nullopt;
    return n;
}

}  // namespace

std::optional<int64_t> isaretliSayi(std::string_view s) { return tamOku<int64_t>(s); }

std::optional<double> ondalik(std::string_view s) {
    auto d = tamOku<double>(s);
    if (!d || !std::isfinite(*d)) return std::nullopt;
    return d;
}

}  // namespace Metin
