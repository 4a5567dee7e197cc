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

std::string dilSec() {
    std::vector<std::string> adaylar;
    if (const char* l = std::getenv("LANGUAGE"); l && *l)
        for (auto& p : Metin::bol(l, ':', true)) adaylar.push_back(p);
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* d = std::getenv(v); d && *d) {
            adaylar.push_back(d);
            break;
        }
    for (const auto& a : adaylar) {
        std::string kod = dilKodu(a);
        if (kod == "C" || kod == "POSIX" || kod.empty()) continue;
        if (varMi(kod)) return kod;
    }
    return "en";
}

const std::map<std::string, std::string>& katalog() {
    static std::map<std::string, std::string> k;
    static std::once_flag bir;
    std::call_once(bir, [] {
        if (dil() == "en") return;
        // Every catalog of the language's folder, one per part of the program.
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(UygulamaBilgisi::kaynaklar() + "/" + dil() + ".lproj", ec)) {
            if (e.path().extension() != ".json") continue;
            if (auto j = jsonOku<std::map<std::string, std::string>>(e.path().string())) k.merge(*j);
        }
    });
    return k;
}

}  // namespace

std::string dil() {
    static const std::string d = dilSec();
    return d;
}

std::string metin(const std::string& anahtar) {
    const auto& k = katalog();
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
