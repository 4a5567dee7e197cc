// The copy tool's --stats output as the copy pass reads it into the copy's
// statistics: any text gives a number, never an exception.
#include "backup/Esitleme.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    for (const char* etiket : {"Total transferred file size:", "sent ", "Total file size:", "Number of files:"})
        Yedekleme::istatistik(girdi, etiket);
}
