#pragma once
// The update feed: one JSON object naming the newest build and how to check
// its archive before anything of it is trusted.
#include <string>

namespace Guncelleme {

struct Surum {
    std::string surum;   // shown to people, "0.2.0"
    std::string yapi;    // compared, "7" or "7.1"
    std::string adres;   // the archive, https:// or file://
    unsigned long long boyut = 0;
    std::string sha256;  // lower-case hex
    std::string imza;    // Ed25519 over the archive's bytes, base64
};

// The archive a feed may name; larger ones are refused unread.
inline constexpr unsigned long long kEnBuyukArsiv = 256ULL << 20;

// Reads a feed's text; throws std::runtime_error saying what is wrong.
Surum coz(const std::string& metin);
// Compares build numbers part by part as numbers ("10" > "9", "7.1" > "7");
// a part that is not a number compares as text. <0, 0, >0.
int yapiKarsilastir(const std::string& a, const std::string& b);

}  // namespace Guncelleme
