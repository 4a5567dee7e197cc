#pragma once
// The program's own thrown errors: domain "Brimvale", a code and the text
// shown to the user as it is.
#include <stdexcept>
#include <string>

struct BrimvaleHatasi : std::runtime_error {
    int kod;
    BrimvaleHatasi(int kod, const std::string& metin) : std::runtime_error(metin), kod(kod) {}
    static constexpr const char* alan = "Brimvale";
};
