// The kernel's mount table text as the volume list and the image state read
// it: at most one mount per line, whatever the escapes.
#include "platform/Platform.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    gerek(Platform::baglamalarOku(girdi).size() <= Metin::bol(girdi, '\n', true).size());
}
