#pragma once
// Streaming a file through its SHA-256 digest, optionally copying it on the
// way: the large-file copier and the recovery kit both read each byte once.
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace Sha256 {

// Asked between reads; true ends the stream early.
using Durdu = std::function<bool()>;
// One read: small enough to stay in the processor's caches between the read
// and the write (larger pieces made buffered writes several times slower).
inline constexpr size_t kParca = 262144;

// Streams `kaynak` through the digest and, when given, into `hedef` (created
// with `mod`, flushed). A stopped read returns the digest of what was read.
// The digest is 64 lowercase hex digits. Throws BrimvaleHatasi.
std::string akit(const std::string& kaynak, const std::optional<std::string>& hedef, const Durdu& durdu = {},
                 mode_t mod = 0600);
// The digest of a whole file. Throws BrimvaleHatasi.
inline std::string digest(const std::string& yol, const Durdu& durdu = {}) { return akit(yol, std::nullopt, durdu); }

}  // namespace Sha256
