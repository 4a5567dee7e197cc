// The copy tool's itemized listing, line by line, as the change check reads
// it. A line read as an item always names a path.
#include <cstdlib>

#include "core/RsyncSatiri.hpp"
#include "temel/Metin.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    for (const auto& satir : Metin::bol(FuzzOrtami::metin(veri, boy), '\n', true)) {
        auto s = Rsync::satirCoz(satir);
        if (s && (s->yol.empty() || s->kod.empty())) std::abort();
    }
    return 0;
}
