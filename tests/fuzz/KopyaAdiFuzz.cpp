// Folder names in the store, one per line, as the copy list and thinning
// read them. A name is a copy name only when it stands for one instant that
// gives the same name back; thinning keeps the newest and only copy names.
#include <algorithm>

#include "store/Kopyalar.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    auto adlar = Metin::bol(girdi, '\n', true);
    std::set<std::string> kopyalar;
    for (const auto& ad : adlar) {
        auto an = Kopyalar::tarih(ad);
        if (!an) continue;
        gerek(Kopyalar::yeniAd(*an) == ad);
        kopyalar.insert(ad);
    }
    for (const Saklama& s : {Saklama{}, Saklama{2, 2, 1, 1, 1}}) {
        auto tut = Kopyalar::tutulacaklar(adlar, s);
        gerek(std::includes(kopyalar.begin(), kopyalar.end(), tut.begin(), tut.end()));
        gerek(kopyalar.empty() ? tut.empty() : tut.count(*kopyalar.rbegin()) == 1);
    }
}
