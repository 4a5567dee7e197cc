#include "update/Imza.hpp"

#include <openssl/evp.h>

#include <memory>
#include <optional>

namespace Guncelleme {
namespace {

// Exactly `uzunluk` bytes of base64, or nothing.
std::optional<std::string> base64(const std::string& metin, size_t uzunluk) {
    if (metin.size() != 4 * ((uzunluk + 2) / 3)) return std::nullopt;
    std::string b(metin.size(), '\0');
    int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(b.data()),
                            reinterpret_cast<const unsigned char*>(metin.data()), static_cast<int>(metin.size()));
    if (n < 0) return std::nullopt;
    // The decoder counts the padding as zero bytes.
    size_t dolgu = metin.size() - metin.find_last_not_of('=') - 1;
    if (static_cast<size_t>(n) - dolgu != uzunluk) return std::nullopt;
    b.resize(uzunluk);
    return b;
}

}  // namespace

std::string sha256(const std::string& baytlar) {
    unsigned char d[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_Digest(baytlar.data(), baytlar.size(), d, &n, EVP_sha256(), nullptr);
    static const char hex[] = "0123456789abcdef";
    std::string s;
    for (unsigned int i = 0; i < n; ++i) s += {hex[d[i] >> 4], hex[d[i] & 15]};
    return s;
}

bool imzaGecerli(const std::string& baytlar, const std::string& imza, const std::string& anahtar) {
    auto a = base64(anahtar, 32);
    auto i = base64(imza, 64);
    if (!a || !i) return false;
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> k(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(a->data()),
                                    a->size()),
        EVP_PKEY_free);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> c(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!k || !c || EVP_DigestVerifyInit(c.get(), nullptr, nullptr, nullptr, k.get()) != 1) return false;
    return EVP_DigestVerify(c.get(), reinterpret_cast<const unsigned char*>(i->data()), i->size(),
                            reinterpret_cast<const unsigned char*>(baytlar.data()), baytlar.size()) == 1;
}

}  // namespace Guncelleme
