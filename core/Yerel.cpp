#include "core/Yerel.hpp"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "core/Dosya.hpp"
#include "temel/Metin.hpp"
#include "core/UygulamaBilgisi.hpp"

namespace fs = std::filesystem;

namespace Yerel {
namespace {

bool varMi(const std::string& d) {
    if (d == "en") return true;
    std::error_code ec;
    return fs::is_directory(UygulamaBilgisi::kaynaklar() + "/" + d + ".lproj", ec);
}

// "tr_TR.UTF-8" -> "tr"
std::string dilKodu(const std::string& yerel) {
    size_t son = yerel.find_first_of("_.@-");
    return yerel.substr(0, son);
}

// The variables the language is read from, in the order they count.
std::vector<std::string> adaylar() {
    std::vector<std::string> a;
    if (const char* l = std::getenv("LANGUAGE"); l && *l)
        for (auto& p : Metin::bol(l, ':', true)) a.push_back(p);
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* d = std::getenv(v); d && *d) {
            a.push_back(d);
            break;
        }
    return a;
}

std::string dilSec(const std::vector<std::string>& adaylar) {
    for (const auto& a : adaylar) {
        std::string kod = dilKodu(a);
        if (kod == "C" || kod == "POSIX" || kod.empty()) continue;
        if (varMi(kod)) return kod;
    }
    return "en";
}

// Looking at the bundle and reading catalogs happens once per environment
// and once per language, not on every text.
std::mutex kilit;

const std::map<std::string, std::string>& katalog(const std::string& d) {
    static std::map<std::string, std::map<std::string, std::string>> kataloglar;
    std::lock_guard<std::mutex> k(kilit);
    auto [it, yeni] = kataloglar.try_emplace(d);
    if (yeni) {
        // Every catalog of the language's folder, one per part of the program.
        // English has one too: it words for this system the few keys that
        // name another system's things.
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(UygulamaBilgisi::kaynaklar() + "/" + d + ".lproj", ec)) {
            if (e.path().extension() != ".json") continue;
            if (auto j = jsonOku<std::map<std::string, std::string>>(e.path().string())) it->second.merge(*j);
        }
    }
    return it->second;
}

}  // namespace

std::string dil() {
    static std::map<std::vector<std::string>, std::string> diller;
    auto a = adaylar();
    {
        std::lock_guard<std::mutex> k(kilit);
        if (auto it = diller.find(a); it != diller.end()) return it->second;
    }
    std::string d = dilSec(a);
    std::lock_guard<std::mutex> k(kilit);
    return diller.emplace(std::move(a), d).first->second;
}

std::string metin(const std::string& anahtar) {
    const auto& k = katalog(dil());
    auto it = k.find(anahtar);
    return it == k.end() ? anahtar : it->second;
}

std::string bicim(const std::string& anahtar, const std::vector<std::string>& degerler) {
    std::string kalip = metin(anahtar), out;
    size_t sira = 0;
    for (size_t i = 0; i < kalip.size(); ++i) {
        if (kalip[i] != '%' || i + 1 >= kalip.size()) {
            out += kalip[i];
            continue;
        }
        std::string_view geri(kalip.c_str() + i + 1);
        size_t uzunluk = 0;
        for (const char* b : {"@", "lld", "ld", "d"})
            if (geri.starts_with(b)) { uzunluk = std::char_traits<char>::length(b); break; }
        if (geri[0] == '%') {
            out += '%';
            ++i;
        } else if (uzunluk) {
            out += sira < degerler.size() ? degerler[sira] : "";
            ++sira;
            i += uzunluk;
        } else {
            out += '%';
        }
    }
    return out;
}

}  // namespace Yerel
