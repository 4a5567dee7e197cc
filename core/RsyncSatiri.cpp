#include "core/RsyncSatiri.hpp"

#include <algorithm>

#include "temel/Metin.hpp"

namespace Rsync {

// The copy tool writes unprintable bytes of a name as \#ooo (octal); a
// backslash before "#" is itself escaped, so the decoding is unambiguous.
std::string kacisCoz(std::string_view s) {
    auto sekizli = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 4 < s.size() && s[i + 1] == '#' && sekizli(s[i + 2]) && sekizli(s[i + 3]) &&
            sekizli(s[i + 4])) {
            out += static_cast<char>((s[i + 2] - '0') * 64 + (s[i + 3] - '0') * 8 + (s[i + 4] - '0'));
            i += 4;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string kacisYap(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f || c == '"' || c == '\\') {
            out += "\\#";
            out += static_cast<char>('0' + (b >> 6));
            out += static_cast<char>('0' + ((b >> 3) & 7));
            out += static_cast<char>('0' + (b & 7));
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// Itemize codes are "YXcstpoguax": 11 characters.
constexpr size_t kodGenisligi = 11;

}  // namespace

std::optional<Satir> satirCoz(const std::string& satir) {
    std::string_view s(satir);
    if (Metin::iceriyor(s, "deleting ") && (s.starts_with("*deleting") || s.starts_with("deleting"))) {
        std::string_view yol;
        // "*deleting" is padded to the code's width and followed by one
        // space, so a name that begins with spaces keeps them.
        if (s.starts_with("*deleting") && s.size() > kodGenisligi + 1 &&
            s.substr(9, kodGenisligi + 1 - 9).find_first_not_of(' ') == std::string_view::npos) {
            yol = s.substr(kodGenisligi + 1);
        } else {
            yol = s.substr(s.find("deleting ") + 9);
            if (s.starts_with("*")) yol.remove_prefix(std::min(yol.find_first_not_of(' '), yol.size()));
        }
        if (yol.empty()) return std::nullopt;
        return Satir{"del", kacisCoz(yol)};
    }
    size_t bosluk = s.find(' ');
    if (bosluk == std::string_view::npos) return std::nullopt;
    std::string_view kod = s.substr(0, bosluk);
    // Tool messages such as "created directory x" are not items.
    if (kod.size() != kodGenisligi || std::string_view("<>ch.*").find(kod[0]) == std::string_view::npos)
        return std::nullopt;
    std::string_view yol = s.substr(bosluk + 1);
    if (kod.starts_with("cL")) {
        if (size_t ok = yol.find(" -> "); ok != std::string_view::npos) yol = yol.substr(0, ok);
    }
    if (yol.empty()) return std::nullopt;
    return Satir{std::string(kod), kacisCoz(yol)};
}

}  // namespace Rsync
