#include "app/Komutlar.hpp"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/Isleyiciler.hpp"
#include "core/Json.hpp"
#include "temel/Metin.hpp"

namespace Komutlar {
namespace {

struct Satir {
    const char* bayrak;
    size_t arguman;      // positional arguments the command needs
    Isleyici isleyici;   // nullptr while its part of the program is not built
};

// In the order in which the flags are tested.
const std::vector<Satir>& tablo() {
    static const std::vector<Satir> t = {
        {"--ajan", 0, Isleyiciler::ajan},
        {"--guncelleme-dene", 0, nullptr},
        {"--destek-raporu", 0, nullptr},
        {"--kaldir", 0, nullptr},
        {"--surum", 0, Isleyiciler::surum},
        {"--ajan-durumu", 0, nullptr},
        {"--ajan-kur", 0, nullptr},
        {"--yedekle", 0, Isleyiciler::yedekle},
        {"--cikar", 0, Isleyiciler::cikar},
        {"--ac", 0, Isleyiciler::ac},
        {"--kapat", 0, Isleyiciler::kapat},
        {"--kopya-sil", 1, Isleyiciler::kopyaSil},
        {"--sikistir", 0, Isleyiciler::sikistir},
        {"--kurtulus-yaz", 0, Isleyiciler::kurtulusYaz},
        {"--programlar", 0, Isleyiciler::programlar},
        {"--ozet", 1, Isleyiciler::sha256},
        {"--kopyalar", 0, Isleyiciler::kopyalar},
        {"--bilgiler", 0, Isleyiciler::bilgiler},
        {"--surumler", 1, Isleyiciler::surumler},
        {"--yerine-koy", 2, Isleyiciler::yerineKoy},
        {"--farkli-kaydet", 3, Isleyiciler::farkliKaydet},
        {"--degistirilmisler", 0, Isleyiciler::degistirilmisler},
        {"--geri-al", 1, Isleyiciler::geriAl},
        {"--cope-at", 1, Isleyiciler::copeAt},
        {"--gfs", 1, Isleyiciler::gfs},
        {"--ikon", 1, nullptr},
        {"--baglanti", 0, Isleyiciler::baglanti},
        {"--izinler", 0, nullptr},
        {"--hata-sinifla", 1, Isleyiciler::hataSinifla},
    };
    return t;
}

[[noreturn]] void bitir(int kod) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::exit(kod);
}

}  // namespace

const std::string& Istek::arg(size_t i) const {
    if (i < args.size()) return args[i];
    std::cerr << "missing argument\n";
    throw Cikis{64};
}

const std::set<std::string>& bayraklar() {
    static const std::set<std::string> s = [] {
        std::set<std::string> b;
        for (const auto& satir : tablo()) b.insert(satir.bayrak);
        return b;
    }();
    return s;
}

int yurut(const std::vector<std::string>& args) {
    try {
        Istek istek{args, Ayarlar::yukle()};
        for (const auto& satir : tablo()) {
            if (args.empty() || args[0] != satir.bayrak) continue;
            if (satir.arguman > 0) istek.arg(satir.arguman);
            return satir.isleyici ? satir.isleyici(istek) : 64;
        }
        return 64;
    } catch (const Cikis& c) {
        return c.kod;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}

void calistir(const std::vector<std::string>& args) { bitir(yurut(args)); }

void hata(const std::exception& e) {
    std::cerr << e.what() << "\n";
    throw Cikis{1};
}

void json(const nlohmann::json& deger) {
    std::string metin;
    try {
        metin = Metin::utf8Onar(Json::metin(deger, false));
    } catch (const std::exception&) {
        metin.clear();
    }
    std::cout << metin << "\n";
}

void yaz(const std::string& satir) { std::cout << satir << "\n"; }

}  // namespace Komutlar
