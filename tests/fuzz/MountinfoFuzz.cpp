// The kernel's mount table text as the volume list and the image state read
// it: at most one mount per line, whatever the escapes.
#include <cstdlib>

#include "temel/Metin.hpp"
#include "platform/Platform.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    std::string metin = FuzzOrtami::metin(veri, boy);
    auto baglamalar = Platform::baglamalarOku(metin);
    if (baglamalar.size() > Metin::bol(metin, '\n', true).size()) std::abort();
    return 0;
}
