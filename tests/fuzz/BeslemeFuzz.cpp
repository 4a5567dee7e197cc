// The update feed as the updater reads it: either refused with a reason or a
// feed whose fields the download relies on, and build numbers that order
// consistently.
#include <stdexcept>

#include "tests/fuzz/FuzzOrtami.hpp"
#include "update/Besleme.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    try {
        Guncelleme::Surum s = Guncelleme::coz(girdi);
        gerek(s.boyut > 0 && s.boyut <= Guncelleme::kEnBuyukArsiv);
        gerek(s.sha256.size() == 64 && !s.adres.empty() && !s.imza.empty() && !s.yapi.empty());
    } catch (const std::runtime_error&) {
    }
    // Two build numbers from the input: the order is antisymmetric.
    auto orta = girdi.size() / 2;
    std::string a = girdi.substr(0, orta), b = girdi.substr(orta);
    gerek(Guncelleme::yapiKarsilastir(a, b) == -Guncelleme::yapiKarsilastir(b, a));
    gerek(Guncelleme::yapiKarsilastir(a, a) == 0);
}
