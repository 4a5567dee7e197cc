#include "core/Json.hpp"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cmath>
#include <stdexcept>

namespace Json {
namespace {

void dizgi(std::string& out, const std::string& s, bool egik) {
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '/': out += egik ? "\\/" : "/"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

void sayi(std::string& out, double d) {
    if (!std::isfinite(d)) throw std::domain_error("JSON cannot hold a non-finite number");
    if (d == std::trunc(d) && std::fabs(d) < 9007199254740992.0) {
        out += std::to_string(static_cast<long long>(d));
        return;
    }
    char buf[64];
    auto [son, hata] = std::to_chars(buf, buf + sizeof buf, d);
    out.append(buf, son);
}

void yaz(std::string& out, const nlohmann::json& j, bool egik, int girinti) {
    std::string bosluk(static_cast<size_t>(girinti + 2), ' ');
    std::string kapanis(static_cast<size_t>(girinti), ' ');
    switch (j.type()) {
        case nlohmann::json::value_t::object: {
            if (j.empty()) { out += "{}"; return; }
            out += "{\n";
            bool ilk = true;
            for (auto it = j.begin(); it != j.end(); ++it) {
                if (!ilk) out += ",\n";
                ilk = false;
                out += bosluk;
                dizgi(out, it.key(), egik);
                out += " : ";
                yaz(out, it.value(), egik, girinti + 2);
            }
            out += "\n" + kapanis + "}";
            return;
        }
        case nlohmann::json::value_t::array: {
            if (j.empty()) { out += "[]"; return; }
            out += "[\n";
            for (size_t i = 0; i < j.size(); ++i) {
                if (i) out += ",\n";
                out += bosluk;
                yaz(out, j[i], egik, girinti + 2);
            }
            out += "\n" + kapanis + "]";
            return;
        }
        case nlohmann::json::value_t::string: dizgi(out, j.get_ref<const std::string&>(), egik); return;
        case nlohmann::json::value_t::boolean: out += j.get<bool>() ? "true" : "false"; return;
        case nlohmann::json::value_t::number_integer: out += std::to_string(j.get<long long>()); return;
        case nlohmann::json::value_t::number_unsigned: out += std::to_string(j.get<unsigned long long>()); return;
        case nlohmann::json::value_t::number_float: sayi(out, j.get<double>()); return;
        case nlohmann::json::value_t::null: out += "null"; return;
        default: throw std::domain_error("JSON cannot hold this value");
    }
}

}  // namespace

std::optional<int64_t> tamSayi(const nlohmann::json& deger) {
    if (deger.is_number_unsigned()) {
        auto n = deger.get<uint64_t>();
        if (n > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
        return static_cast<int64_t>(n);
    }
    if (deger.is_number_integer()) return deger.get<int64_t>();
    if (deger.is_number_float()) {
        // Only where a double holds every whole number: beyond 2^53 the text
        // may have been an integer out of range that the parser rounded.
        double d = deger.get<double>();
        if (std::trunc(d) != d || std::fabs(d) > 9007199254740992.0) return std::nullopt;
        return static_cast<int64_t>(d);
    }
    return std::nullopt;
}

std::string metin(const nlohmann::json& deger, bool egikCizgiKacir) {
    std::string out;
    yaz(out, deger, egikCizgiKacir, 0);
    return out;
}

}  // namespace Json
