#include "core/Plist.hpp"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/Dosya.hpp"

namespace Plist {
namespace {

// What the library hands over is owned here and freed on every path.
struct Serbest {
    void operator()(void* p) const { std::free(p); }
};
struct PlistSerbest {
    void operator()(plist_t p) const { plist_free(p); }
};
using Bellek = std::unique_ptr<char, Serbest>;
using Deger = std::unique_ptr<void, PlistSerbest>;

// A text with a NUL inside is a damaged entry: the library's own string
// getters abort on one, so strings are read by pointer and length only.
std::optional<std::string> metinOku(plist_t p) {
    uint64_t uzunluk = 0;
    const char* s = plist_get_string_ptr(p, &uzunluk);
    if (!s) return std::string();
    std::string metin(s, uzunluk);
    if (metin.find('\0') != std::string::npos) return std::nullopt;
    return metin;
}

// A dictionary key has no getter by length. Its XML form is written with the
// key's full length, so a NUL shows there; without one the plain getter is safe.
std::optional<std::string> anahtarOku(plist_t anahtar) {
    if (plist_get_node_type(anahtar) != PLIST_KEY) return std::nullopt;
    char* xml = nullptr;
    uint32_t n = 0;
    plist_to_xml(anahtar, &xml, &n);
    Bellek xmlSahibi(xml);
    if (!xml || std::memchr(xml, '\0', n) != nullptr) return std::nullopt;
    char* k = nullptr;
    plist_get_key_val(anahtar, &k);
    Bellek anahtarSahibi(k);
    if (!k) return std::nullopt;
    return std::string(k);
}

// Nothing for a damaged value; a damaged entry inside a dictionary or an
// array is left out, and the rest is read.
std::optional<nlohmann::json> donustur(plist_t p) {
    switch (plist_get_node_type(p)) {
        case PLIST_DICT: {
            nlohmann::json j = nlohmann::json::object();
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(p, &it);
            std::unique_ptr<void, Serbest> gezgin(it);
            while (it) {
                plist_t deger = nullptr;
                plist_dict_next_item(p, it, nullptr, &deger);
                if (!deger) break;
                auto anahtar = anahtarOku(plist_dict_item_get_key(deger));
                if (!anahtar) continue;
                if (auto d = donustur(deger)) j[*anahtar] = std::move(*d);
            }
            return j;
        }
        case PLIST_ARRAY: {
            nlohmann::json j = nlohmann::json::array();
            for (uint32_t i = 0; i < plist_array_get_size(p); ++i)
                if (auto d = donustur(plist_array_get_item(p, i))) j.push_back(std::move(*d));
            return j;
        }
        case PLIST_STRING: {
            auto metin = metinOku(p);
            if (!metin) return std::nullopt;
            return nlohmann::json(*metin);
        }
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(p, &b);
            return b != 0;
        }
        case PLIST_UINT: {
            // Negative integers come back in two's complement.
            uint64_t v = 0;
            plist_get_uint_val(p, &v);
            if (v > static_cast<uint64_t>(INT64_MAX)) return static_cast<int64_t>(v);
            return v;
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(p, &d);
            return d;
        }
        case PLIST_DATE: {
            int32_t sn = 0, usn = 0;
            plist_get_date_val(p, &sn, &usn);
            return 978307200.0 + sn + usn / 1e6;  // property-list dates count from 2001
        }
        case PLIST_DATA: {
            char* d = nullptr;
            uint64_t n = 0;
            plist_get_data_val(p, &d, &n);
            Bellek sahip(d);
            return nlohmann::json(std::string(d ? d : "", d ? n : 0));
        }
        default:
            return nlohmann::json(nullptr);
    }
}

plist_t geriDonustur(const nlohmann::json& j) {
    switch (j.type()) {
        case nlohmann::json::value_t::object: {
            plist_t d = plist_new_dict();
            for (auto it = j.begin(); it != j.end(); ++it) plist_dict_set_item(d, it.key().c_str(), geriDonustur(it.value()));
            return d;
        }
        case nlohmann::json::value_t::array: {
            plist_t a = plist_new_array();
            for (const auto& e : j) plist_array_append_item(a, geriDonustur(e));
            return a;
        }
        case nlohmann::json::value_t::string: return plist_new_string(j.get_ref<const std::string&>().c_str());
        case nlohmann::json::value_t::boolean: return plist_new_bool(j.get<bool>());
        case nlohmann::json::value_t::number_unsigned: return plist_new_uint(j.get<uint64_t>());
        case nlohmann::json::value_t::number_integer: return plist_new_uint(static_cast<uint64_t>(j.get<int64_t>()));
        case nlohmann::json::value_t::number_float: return plist_new_real(j.get<double>());
        default: return plist_new_string("");
    }
}

}  // namespace

std::optional<nlohmann::json> coz(const std::string& baytlar) {
    if (baytlar.empty() || baytlar.size() > UINT32_MAX) return std::nullopt;
    plist_t p = nullptr;
    plist_from_memory(baytlar.data(), static_cast<uint32_t>(baytlar.size()), &p);
    Deger kok(p);
    if (!kok) return std::nullopt;
    return donustur(kok.get());
}

std::optional<nlohmann::json> dosyaOku(const std::string& yol) {
    // Property lists on disk are a few kilobytes; any application may hold one.
    auto b = baytlariOku(yol, 16 << 20);
    return b ? coz(*b) : std::nullopt;
}

std::string xml(const nlohmann::json& deger) {
    Deger kok(geriDonustur(deger));
    char* x = nullptr;
    uint32_t n = 0;
    plist_to_xml(kok.get(), &x, &n);
    Bellek sahip(x);
    return std::string(x ? x : "", x ? n : 0);
}

std::optional<std::string> metin(const nlohmann::json& s, const std::string& k) {
    if (!s.is_object()) return std::nullopt;
    auto it = s.find(k);
    if (it == s.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<double> sayi(const nlohmann::json& s, const std::string& k) {
    if (!s.is_object()) return std::nullopt;
    auto it = s.find(k);
    if (it == s.end() || !it->is_number()) return std::nullopt;
    return it->get<double>();
}

std::optional<bool> mantik(const nlohmann::json& s, const std::string& k) {
    if (!s.is_object()) return std::nullopt;
    auto it = s.find(k);
    if (it == s.end() || !it->is_boolean()) return std::nullopt;
    return it->get<bool>();
}

nlohmann::json dizi(const nlohmann::json& s, const std::string& k) {
    if (s.is_object()) {
        auto it = s.find(k);
        if (it != s.end() && it->is_array()) return *it;
    }
    return nlohmann::json::array();
}

nlohmann::json sozluk(const nlohmann::json& s, const std::string& k) {
    if (s.is_object()) {
        auto it = s.find(k);
        if (it != s.end() && it->is_object()) return *it;
    }
    return nlohmann::json::object();
}

}  // namespace Plist
