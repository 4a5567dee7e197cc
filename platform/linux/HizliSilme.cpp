// Removing a folder of a gocryptfs image straight on the disk's file system.
// Each entry removed through the FUSE mount is a round trip to the daemon
// (about 100 µs); on the disk it is a few µs. The daemon's control socket
// tells which cipher folder holds the plaintext folder.
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "platform/Platform.hpp"
#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"

namespace fs = std::filesystem;

namespace Platform {
namespace {

const char* kDirIv = "gocryptfs.diriv";
const char* kConf = "gocryptfs.conf";

std::string hataMetni(const std::string& yol) { return yol + ": " + std::strerror(errno); }

std::vector<std::string> parcalar(const std::string& yol) { return Metin::bol(yol, '/', false); }

// The daemon behind the mount point `yer`: ours, gocryptfs, serving `yer`.
struct Sunucu {
    std::string sifreliKok, soket;
};

std::optional<Sunucu> sunucu(const std::string& yer) {
    std::error_code ec;
    fs::path hedef = fs::path(yer).lexically_normal();
    for (fs::directory_iterator it("/proc", ec), son; !ec && it != son; it.increment(ec)) {
        std::string pid = it->path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        struct stat st{};
        if (::stat(it->path().c_str(), &st) != 0 || st.st_uid != ::geteuid()) continue;
        std::error_code e2;
        if (!fs::read_symlink(it->path() / "exe", e2).filename().string().starts_with("gocryptfs")) continue;
        auto args = Metin::nulListesi(baytlariOku(it->path().string() + "/cmdline").value_or(""));
        if (args.size() < 3 || fs::path(args.back()).lexically_normal() != hedef) continue;
        auto soket = kontrolSoketi(args);
        if (!soket) return std::nullopt;
        return Sunucu{args[args.size() - 2], *soket};
    }
    return std::nullopt;
}

// Only a socket of ours in a folder no one else can enter is asked: an
// answer from anyone else could name any folder of the disk.
HataMetni soketGuvenli(const std::string& soket) {
    struct stat st{};
    if (::lstat(soket.c_str(), &st) != 0) return hataMetni(soket);
    if (!S_ISSOCK(st.st_mode) || st.st_uid != ::geteuid()) return soket + ": not our socket";
    std::string klasor = fs::path(soket).parent_path().string();
    if (::lstat(klasor.c_str(), &st) != 0) return hataMetni(klasor);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)
        return klasor + ": the socket's folder is open to others";
    return std::nullopt;
}

// One request, one answer line.
std::optional<std::string> sor(const std::string& soket, const std::string& istek, std::string& neden) {
    sockaddr_un adres{};
    if (soket.size() >= sizeof(adres.sun_path)) {
        neden = "socket path too long";
        return std::nullopt;
    }
    adres.sun_family = AF_UNIX;
    std::memcpy(adres.sun_path, soket.c_str(), soket.size());
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    // A daemon that hangs must not hang the run: the plain way is still there.
    timeval sure{5, 0};
    if (!fd || ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &sure, sizeof sure) != 0 ||
        ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &sure, sizeof sure) != 0 ||
        ::connect(fd.get(), reinterpret_cast<sockaddr*>(&adres), sizeof adres) != 0) {
        neden = hataMetni(soket);
        return std::nullopt;
    }
    for (size_t yazilan = 0; yazilan < istek.size();) {
        ssize_t n = ::send(fd.get(), istek.data() + yazilan, istek.size() - yazilan, MSG_NOSIGNAL);
        if (n <= 0) {
            neden = hataMetni(soket);
            return std::nullopt;
        }
        yazilan += static_cast<size_t>(n);
    }
    std::string cevap;
    char tampon[4096];
    while (cevap.find('\n') == std::string::npos && cevap.size() < 65536) {
        ssize_t n = ::recv(fd.get(), tampon, sizeof tampon, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            neden = hataMetni(soket);
            return std::nullopt;
        }
        if (n == 0) break;
        cevap.append(tampon, static_cast<size_t>(n));
    }
    return cevap;
}

// Empties the folder open at `fd`, keeping its own gocryptfs.diriv, so that
// the daemon can still remove the folder itself as one of its own.
HataMetni bosalt(int fd, const std::string& yol) {
    try {
        icerigiSil(fd, yol, kDirIv);
    } catch (const std::system_error& e) {
        return e.what();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> kontrolSoketi(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        for (const char* ad : {"-ctlsock", "--ctlsock"}) {
            if (a == ad && i + 1 < args.size() && !args[i + 1].empty()) return args[i + 1];
            if (a.starts_with(std::string(ad) + "=") && a.size() > std::strlen(ad) + 1)
                return a.substr(std::strlen(ad) + 1);
        }
    }
    return std::nullopt;
}

std::variant<std::string, SoketHatasi> sifreliYolCevabi(const std::string& cevap) {
    auto j = nlohmann::json::parse(cevap, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return SoketHatasi{"not an answer: " + cevap.substr(0, 200)};
    auto errNo = j.find("ErrNo");
    auto sonuc = j.find("Result");
    if (errNo == j.end() || !errNo->is_number_integer() || errNo->get<long long>() != 0) {
        auto metin = j.find("ErrText");
        return SoketHatasi{metin != j.end() && metin->is_string() ? metin->get<std::string>() : "error answer"};
    }
    if (sonuc == j.end() || !sonuc->is_string()) return SoketHatasi{"answer without a result"};
    // A warning means the path was read as something else than was asked.
    if (auto uyari = j.find("WarnText"); uyari != j.end() && uyari->is_string() && !uyari->get<std::string>().empty())
        return SoketHatasi{uyari->get<std::string>()};
    return sonuc->get<std::string>();
}

HataMetni sifreliYolDenetle(const std::string& duz, const std::string& sifreli) {
    if (sifreli.empty()) return "empty cipher path";
    if (sifreli.front() == '/') return "absolute cipher path: " + sifreli;
    if (sifreli.find('\0') != std::string::npos) return "cipher path with a NUL";
    auto s = parcalar(sifreli), d = parcalar(duz);
    // Names are encrypted one by one: one cipher name for each plain one.
    if (s.size() != d.size()) return "cipher path " + sifreli + " does not match " + duz;
    for (const auto& p : s)
        if (p.empty() || p == "." || p == ".." || p == kDirIv || p == kConf)
            return "cipher path " + sifreli + " has the name \u201C" + p + "\u201D";
    for (const auto& p : d)
        if (p.empty() || p == "." || p == "..") return "plain path " + duz + " is not a clean relative path";
    return std::nullopt;
}

HataMetni agaciHizliSil(const std::string& yol) {
    fs::path p = fs::path(yol).lexically_normal();
    std::string ad = p.filename().string();
    if (!p.is_absolute() || ad.empty() || ad == "." || ad == "..") return "not an absolute folder path: " + yol;
    // Only the folder above is resolved: resolving the folder itself is a
    // look-up, harmless, but there is no need.
    std::error_code ec;
    fs::path ust = fs::canonical(p.parent_path(), ec);
    if (ec) return p.parent_path().string() + ": " + ec.message();

    // The innermost mount holding the folder must be a gocryptfs image.
    std::optional<Baglama> bulunan;
    for (const auto& b : baglamalar()) {
        fs::path y(b.yol);
        auto [a, _] = std::mismatch(y.begin(), y.end(), ust.begin(), ust.end());
        if (a == y.end() && (!bulunan || b.yol.size() >= bulunan->yol.size())) bulunan = b;
    }
    if (!bulunan || bulunan->tur != "fuse.gocryptfs") return "not inside a gocryptfs image";
    std::string rel = ust.lexically_relative(bulunan->yol).lexically_normal().string();
    rel = rel == "." ? ad : rel + "/" + ad;

    auto s = sunucu(bulunan->yol);
    if (!s) return "no control socket for " + bulunan->yol;
    if (fs::path(s->sifreliKok).lexically_normal() != fs::path(bulunan->kaynak).lexically_normal())
        return "the daemon serves " + s->sifreliKok + ", the mount table says " + bulunan->kaynak;
    if (auto h = soketGuvenli(s->soket)) return h;
    std::string neden;
    auto cevap = sor(s->soket, nlohmann::json{{"EncryptPath", rel}}.dump() + "\n", neden);
    if (!cevap) return neden;
    auto sonuc = sifreliYolCevabi(*cevap);
    if (auto* h = std::get_if<SoketHatasi>(&sonuc)) return "EncryptPath " + rel + ": " + h->metin;
    const std::string& sifreli = std::get<std::string>(sonuc);
    if (auto h = sifreliYolDenetle(rel, sifreli)) return h;

    // Down from the cipher folder one name at a time, never through a link.
    Fd fd(::open(s->sifreliKok.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return hataMetni(s->sifreliKok);
    for (const auto& parca : parcalar(sifreli)) {
        Fd alt(::openat(fd.get(), parca.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!alt) return hataMetni(s->sifreliKok + "/" + sifreli);
        fd = std::move(alt);
    }
    // The same folder seen through the mount and on the disk: one inode.
    struct stat duzSt{}, sifreliSt{};
    if (::lstat(p.c_str(), &duzSt) != 0) return hataMetni(p.string());
    if (::fstat(fd.get(), &sifreliSt) != 0) return hataMetni(s->sifreliKok + "/" + sifreli);
    if (!S_ISDIR(duzSt.st_mode) || duzSt.st_ino != sifreliSt.st_ino)
        return "cipher folder " + sifreli + " is not " + rel;

    if (auto h = bosalt(fd.get(), s->sifreliKok + "/" + sifreli)) return h;
    fd.sifirla();
    // The now empty folder goes through the mount, so the daemon forgets it.
    if (::rmdir(p.c_str()) != 0 && errno != ENOENT) return hataMetni(p.string());
    return std::nullopt;
}

}  // namespace Platform
