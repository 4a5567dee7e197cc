#pragma once
// Whether an archive is the one the maker signed.
#include <string>

namespace Guncelleme {

// SHA-256 of the bytes, lower-case hex.
std::string sha256(const std::string& baytlar);
// Whether `imza` (base64, 64 bytes) is the Ed25519 signature of `baytlar`
// under `anahtar` (base64 of the 32-byte public key). Anything malformed is
// simply not a valid signature.
bool imzaGecerli(const std::string& baytlar, const std::string& imza, const std::string& anahtar);

}  // namespace Guncelleme
