// Folder names in the store, one per line, as the copy list and thinning
// read them. A name is a copy name only when it stands for one instant that
// gives the same name back; thinning keeps the newest and only copy names.
#include <algorithm>
#include <cstdlib>

#include "temel/Metin.hpp"
#include "store/Kopyalar.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    auto adlar = Metin::bol(FuzzOrtami::metin(veri, boy), '\n', true);
    std::vector<std::string> kopyalar;
    for (const auto& ad : adlar) {
        auto an = Kopyalar::tarih(ad);
        if (!an) continue;
        if (Kopyalar::yeniAd(*an) != ad) std::abort();
        kopyalar.push_back(ad);
    }
    for (const Saklama& s : {Saklama{}, Saklama{2, 2, 1, 1, 1}}) {
        auto tut = Kopyalar::tutulacaklar(adlar, s);
        if (kopyalar.empty() != tut.empty()) std::abort();
        for (const auto& ad : tut)
            if (std::find(kopyalar.begin(), kopyalar.end(), ad) == kopyalar.end()) std::abort();
        if (!kopyalar.empty() && !tut.count(*std::max_element(kopyalar.begin(), kopyalar.end()))) std::abort();
    }
    return 0;
}
