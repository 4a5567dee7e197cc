#pragma once
// Reading and writing whole files, and owning a file descriptor: the file
// helpers of every room, the platform's too.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <sys/types.h>

// Files are read only when they are regular files (a link to one is fine):
// a FIFO would block the reader and a device would never end. A file larger
// than `sinir` bytes reads as nothing.
inline constexpr size_t kSinirsiz = SIZE_MAX;
// The bound for the state files of one short line (a pid, a stage, a time).
inline constexpr size_t kSatirDosyasi = 4096;

// The whole file as UTF-8 text; nothing when missing, unreadable, not a
// regular file, too large or not UTF-8.
std::optional<std::string> oku(const std::string& yol, size_t sinir = kSinirsiz);
// The whole file's bytes; nothing when missing, unreadable, not a regular
// file or too large.
std::optional<std::string> baytlariOku(const std::string& yol, size_t sinir = kSinirsiz);
// The last `adet` non-empty lines of a file, read from its end, so that a
// large log costs only its tail. Invalid UTF-8 is repaired. Empty when the
// file is missing or not a regular file.
std::vector<std::string> sonSatirlar(const std::string& yol, size_t adet);
// Writes the bytes whole: a temporary file in the same folder (`gecici` when
// given), flushed, then renamed over the target. The parent folder is
// created. The file is created with `mod` (0600 for secrets: never readable
// by others, not even for a moment). Throws on failure.
void atomikYaz(const std::string& yol, const std::string& icerik, const std::optional<std::string>& gecici = std::nullopt,
               mode_t mod = 0666);
// Confines a relative path under a root; nothing when it would escape.
std::optional<std::string> guvenliYol(const std::string& kok, const std::string& rel);
bool isSymlink(const std::string& yol);
// Empties the folder open at `fd` in one walk, never following a link; an
// entry named `birak` at the top stays. Folders stored read-only are made
// writable first (only when they are not). Entry kinds come from the
// listing, so a file costs one call. Throws std::system_error.
void icerigiSil(int fd, const std::string& yol, const char* birak = nullptr);

// Owns one open file descriptor and closes it when it goes out of scope.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& o) noexcept : fd_(o.birak()) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) sifirla(o.birak());
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { sifirla(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Gives up ownership without closing.
    int birak() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void sifirla(int fd = -1);

private:
    int fd_ = -1;
};
