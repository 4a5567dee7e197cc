// The copy tool's --stats output as the copy pass reads it into the copy's
// statistics: any text gives a number, never an exception.
#include "backup/Esitleme.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    std::string metin = FuzzOrtami::metin(veri, boy);
    for (const char* etiket : {"Total transferred file size:", "sent ", "Total file size:", "Number of files:"})
        Yedekleme::istatistik(metin, etiket);
    return 0;
}
