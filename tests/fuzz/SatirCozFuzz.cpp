// The copy tool's itemized listing, line by line, as the change check reads
// it. A line read as an item always names a path.
#include "core/RsyncSatiri.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    for (const auto& satir : Metin::bol(girdi, '\n', true))
        if (auto s = Rsync::satirCoz(satir)) gerek(!s->yol.empty() && !s->kod.empty());
}
