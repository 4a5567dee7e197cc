// hdiutil on Linux: an encrypted image is a gocryptfs cipher folder, mounted
// with FUSE; a compressed read-only image is a gzip-compressed tar.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <utility>

#include "core/Dosya.hpp"
#include "temel/Metin.hpp"
#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "platform/Platform.hpp"
#include "platform/tools/Yardimci.hpp"

namespace fs = std::filesystem;

namespace Yardimci {
namespace {

const char* kGocryptfs = "/usr/bin/gocryptfs";
const char* kFusermount = "/usr/bin/fusermount3";
const char* kTar = "/usr/bin/tar";

// Options with a value, options without one, and the positional rest.
struct Secenekler {
    std::map<std::string, std::string> deger;
    std::set<std::string> bayrak;
    std::vector<std::string> konum;
};

Secenekler secenekler(const Argumanlar& a, size_t bas) {
    static const std::set<std::string> degerli = {"-encryption", "-type", "-fs", "-volname", "-size", "-imagekey",
                                                  "-format", "-srcfolder", "-mountpoint", "-owners", "-layout"};
    Secenekler s;
    for (size_t i = bas; i < a.size(); ++i) {
        if (degerli.count(a[i]) && i + 1 < a.size()) {
            s.deger[a[i]] = a[i + 1];
            ++i;
        }
        else if (a[i].starts_with("-")) s.bayrak.insert(a[i]);
        else s.konum.push_back(a[i]);
    }
    return s;
}

// -stdinpass: the password is standard input up to its end or a NUL.
std::string parola() {
    std::string p = girdi();
    if (auto n = p.find('\0'); n != std::string::npos) p.resize(n);
    while (!p.empty() && (p.back() == '\n' || p.back() == '\r')) p.pop_back();
    return p;
}

bool imajMi(const std::string& yol) { return fs::is_regular_file(fs::path(yol) / "gocryptfs.conf"); }

// gocryptfs' exit statuses as the image tool words them.
std::string gocryptfsHatasi(const KomutSonucu& s) {
    switch (s.kod) {
        case 9: return "no password given";
        case 10: return "the mount point is missing or not empty";
        case 11: return "image not recognized";
        case 12: return "Authentication error";
    }
    auto satirlar = Metin::bol(s.cikti, '\n', true);
    return satirlar.empty() ? "error " + std::to_string(s.kod) : Metin::kirp(satirlar.back());
}

bool hardLinkVar(const fs::path& klasor) {
    std::string sablon = (klasor / ".brimvale-link-XXXXXX").string();
    int fd = ::mkstemp(sablon.data());
    if (fd < 0) return false;
    ::close(fd);
    std::string ikinci = sablon + "-2";
    bool var = ::link(sablon.c_str(), ikinci.c_str()) == 0;
    ::unlink(ikinci.c_str());
    ::unlink(sablon.c_str());
    return var;
}

// Gigabytes as "-size" gives them ("237g", "500m").
double boyut(const std::string& s) {
    double birim = 512;  // sectors
    switch (s.empty() ? 'b' : s.back()) {
        case 't': case 'T': birim = 1e12; break;
        case 'g': case 'G': birim = 1e9; break;
        case 'm': case 'M': birim = 1e6; break;
        case 'k': case 'K': birim = 1e3; break;
    }
    auto sayi = Metin::ondalik(birim == 512 ? std::string_view(s) : std::string_view(s).substr(0, s.size() - 1));
    return sayi ? *sayi * birim : 0;
}

int sifreliOlustur(const Secenekler& s, const std::string& hedef) {
    fs::path ust = fs::absolute(hedef).parent_path();
    std::error_code ec;
    if (!fs::is_directory(ust, ec)) return hata("hdiutil: create failed - No such file or directory");
    if (fs::exists(fs::symlink_status(hedef, ec))) return hata("hdiutil: create failed - File exists");
    if (!s.bayrak.count("-stdinpass") || !s.deger.count("-encryption"))
        return hata("hdiutil: create failed - only encrypted images (-encryption with -stdinpass) are supported");
    if (!hardLinkVar(ust))
        return hata("hdiutil: create failed - the file system of \u201C" + ust.string() +
                    "\u201D does not support hard links, which backups need");
    std::string p = parola();
    if (p.empty()) return hata("hdiutil: create failed - no password given");
    if (!fs::create_directory(hedef, ec)) return hata("hdiutil: create failed - " + ec.message());
    KomutSonucu r = komut(kGocryptfs, {"-init", "-q", hedef}, p + "\n");
    if (r.kod != 0) {
        fs::remove_all(hedef, ec);
        return hata("hdiutil: create failed - " + gocryptfsHatasi(r));
    }
    nlohmann::json bilgi = {{"volume-name", s.deger.count("-volname") ? s.deger.at("-volname") : "untitled"},
                            {"maximum-size", boyut(s.deger.count("-size") ? s.deger.at("-size") : "0")},
                            {"format", "gocryptfs"}};
    try {
        atomikYaz(yanDosya(hedef), Plist::xml(bilgi));
    } catch (const std::exception& e) {
        fs::remove_all(hedef, ec);
        return hata(std::string("hdiutil: create failed - ") + e.what());
    }
    if (!s.bayrak.count("-quiet")) std::cout << "created: " << hedef << "\n";
    return 0;
}

int sikistirilmisOlustur(const Secenekler& s, const std::string& hedef) {
    const std::string& kaynak = s.deger.at("-srcfolder");
    std::error_code ec;
    if (!fs::is_directory(kaynak, ec)) return hata("hdiutil: create failed - No such file or directory: " + kaynak);
    if (fs::exists(fs::symlink_status(hedef, ec)) && !s.bayrak.count("-ov"))
        return hata("hdiutil: create failed - File exists");
    std::string gecici = hedef + ".yeni-" + std::to_string(::getpid());
    // The folder itself is the archive's top entry, so unpacking an
    // application's image yields the application by its name.
    fs::path k = fs::absolute(kaynak).lexically_normal();
    if (k.filename().empty()) k = k.parent_path();
    KomutSonucu r = komut(kTar, {"-czf", gecici, "-C", k.parent_path().string(), "--", k.filename().string()});
    if (r.kod != 0 || ::rename(gecici.c_str(), hedef.c_str()) != 0) {
        fs::remove(gecici, ec);
        return hata("hdiutil: create failed - " + Metin::kirp(r.cikti));
    }
    if (!s.bayrak.count("-quiet")) std::cout << "created: " << hedef << "\n";
    return 0;
}

int olustur(const Argumanlar& a) {
    Secenekler s = secenekler(a, 1);
    if (s.konum.empty()) return hata("hdiutil: create: no image path given");
    if (s.deger.count("-srcfolder")) return sikistirilmisOlustur(s, s.konum.back());
    return sifreliOlustur(s, s.konum.back());
}

// A path as the mount table has it. Only the folder above is resolved: a
// dead FUSE mount at the path itself cannot even be looked at.
std::string tamYol(const std::string& yol) {
    std::error_code ec;
    fs::path p = fs::absolute(yol, ec).lexically_normal();
    if (p.filename().empty()) p = p.parent_path();
    fs::path ust = fs::weakly_canonical(p.parent_path(), ec);
    return ec ? p.string() : (ust / p.filename()).string();
}

// ---- the gocryptfs daemon behind a mount ----

// Set in the daemon's environment when it is started: which folder it serves.
const char* kKimlik = "BRIMVALE_IMAJ_KIMLIGI";
// How long a detach waits for the daemon to close the disk's files.
const int kKapanmaMs = 5000;

// Which folder a path is now: device, inode and the mount it is reached
// through. A disk plugged in again comes with a new mount.
std::optional<std::string> kimlik(const std::string& klasor) {
    struct statx st{};
    if (::statx(AT_FDCWD, klasor.c_str(), 0, STATX_INO | STATX_MNT_ID, &st) != 0) return std::nullopt;
    std::string k = std::to_string(st.stx_dev_major) + ":" + std::to_string(st.stx_dev_minor) + ":" +
                    std::to_string(st.stx_ino);
    if (st.stx_mask & STATX_MNT_ID) k += ":" + std::to_string(st.stx_mnt_id);
    return k;
}

// A daemon held by a pidfd, so that no signal reaches a process that took
// its number since.
struct Sunucu {
    pid_t pid;
    Fd fd;
    std::optional<std::string> kimlik;  // recorded when it was started
};

// The process is gocryptfs and its last argument, the mount point, is `yer`.
bool sunuyor(const std::string& pid, const std::string& yer) {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/" + pid + "/exe", ec);
    if (ec || !exe.filename().string().starts_with("gocryptfs")) return false;
    auto args = Metin::nulListesi(baytlariOku("/proc/" + pid + "/cmdline").value_or(""));
    return args.size() >= 3 && fs::path(args.back()).lexically_normal() == fs::path(yer).lexically_normal();
}

// The daemons serving the mount point `yer`; no other process is ever taken.
std::vector<Sunucu> sunucular(const std::string& yer) {
    std::vector<Sunucu> liste;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), son; !ec && it != son; it.increment(ec)) {
        std::string ad = it->path().filename().string();
        if (ad.empty() || ad.find_first_not_of("0123456789") != std::string::npos || !sunuyor(ad, yer)) continue;
        auto pid = static_cast<pid_t>(Metin::sayi(ad).value_or(0));
        Fd fd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
        if (!fd) continue;
        // Asked again now that the pidfd pins the process: the number may have changed hands.
        if (!sunuyor(ad, yer)) continue;
        std::optional<std::string> k;
        for (const auto& d : Metin::nulListesi(baytlariOku("/proc/" + ad + "/environ").value_or("")))
            if (d.starts_with(std::string(kKimlik) + "=")) k = d.substr(std::string(kKimlik).size() + 1);
        liste.push_back({pid, std::move(fd), std::move(k)});
    }
    return liste;
}

// Waits up to `ms` for every daemon to exit (a zombie holds no files); one
// that is our child is reaped.
bool bitti(const std::vector<Sunucu>& liste, int ms) {
    using namespace std::chrono;
    auto son = Saat::simdi() + milliseconds(ms);
    for (const auto& s : liste) {
        int kalan = static_cast<int>(std::max<long long>(0, duration_cast<milliseconds>(son - Saat::simdi()).count()));
        pollfd p{s.fd.get(), POLLIN, 0};
        int r;
        while ((r = ::poll(&p, 1, kalan)) < 0 && errno == EINTR) {}
        if (r <= 0) return false;
        ::waitpid(s.pid, nullptr, WNOHANG);
    }
    return true;
}

void sinyal(const std::vector<Sunucu>& liste, int sinyal) {
    for (const auto& s : liste) ::syscall(SYS_pidfd_send_signal, s.fd.get(), sinyal, nullptr, 0);
}

// Ends daemons whose mount is gone: asked first, then made to.
void bitir(const std::vector<Sunucu>& liste) {
    if (bitti(liste, 1000)) return;
    sinyal(liste, SIGTERM);
    if (bitti(liste, 2000)) return;
    sinyal(liste, SIGKILL);
    bitti(liste, 2000);
}

struct Takili {
    std::string imaj, aygit, yol;
    bool yanitliyor;  // a dead FUSE daemon leaves a mount that no longer answers
    bool guncel;      // served from the folder that is at its image path now
    bool bayat() const { return !yanitliyor || !guncel; }
};

// After a disk was pulled and plugged in again, the old daemon still serves
// the files it had open on the old mounting: the image path is the same, the
// folder behind it is not.
bool guncelMi(const std::string& imaj, const std::string& yer) {
    auto simdi = kimlik(imaj);
    if (!simdi) return false;
    for (const auto& s : sunucular(yer))
        if (s.kimlik && *s.kimlik != *simdi) return false;
    return true;
}

std::vector<Takili> takililar() {
    std::vector<Takili> liste;
    for (const auto& b : Platform::baglamalar()) {
        if (b.tur != "fuse.gocryptfs") continue;
        struct statvfs st{};
        bool yanitliyor = ::statvfs(b.yol.c_str(), &st) == 0;
        liste.push_back({b.kaynak, "fuse:" + b.aygitNo, b.yol, yanitliyor, yanitliyor && guncelMi(b.kaynak, b.yol)});
    }
    return liste;
}

// A stale mount goes lazily, so that nothing can refuse, and its daemon is
// ended: nothing it serves can be reached any more.
bool zorlaAyir(const std::string& yer) {
    auto sunan = sunucular(yer);
    KomutSonucu r = komut(kFusermount, {"-u", "-z", yer});
    bitir(sunan);
    return r.kod == 0;
}

// fusermount returns before the daemon has closed the image's files on the
// disk; the disk's own unmount right after must not find it busy.
KomutSonucu ayirVeBekle(const std::string& yer) {
    auto sunan = sunucular(yer);
    KomutSonucu r = komut(kFusermount, {"-u", yer});
    if (r.kod == 0 && !bitti(sunan, kKapanmaMs)) return {16, "Resource busy: the image is still being closed"};
    return r;
}

// The daemon's control socket, through which a tree can later be removed on
// the disk itself (Platform::agaciHizliSil): in a folder only we can enter,
// the runtime folder or the one beside the mount point (the state folder),
// named after the mount point, so that the daemon's command line is all a
// later caller needs. Nothing when no such folder can be had.
std::optional<std::string> soketYolu(const std::string& yer) {
    std::string taban;
    struct stat st{};
    if (const char* r = std::getenv("XDG_RUNTIME_DIR");
        r && *r == '/' && ::stat(r, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        taban = std::string(r) + "/brimvale";
    else
        taban = (fs::path(yer).parent_path() / ".denetim").string();
    if (::mkdir(taban.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    if (::lstat(taban.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return std::nullopt;
    if ((st.st_mode & 077) != 0 && ::chmod(taban.c_str(), 0700) != 0) return std::nullopt;
    uint64_t h = 1469598103934665603ull;  // FNV-1a: short, and the same in every process
    for (unsigned char c : yer) h = (h ^ c) * 1099511628211ull;
    char ad[48];
    std::snprintf(ad, sizeof ad, "/gocryptfs-%016llx.sock", static_cast<unsigned long long>(h));
    std::string soket = taban + ad;
    if (soket.size() >= sizeof(sockaddr_un{}.sun_path)) return std::nullopt;
    return soket;
}

int bagla(const Argumanlar& a) {
    Secenekler s = secenekler(a, 1);
    if (s.konum.empty()) return hata("hdiutil: attach: no image path given");
    const std::string& imaj = s.konum.back();
    if (!s.deger.count("-mountpoint")) return hata("hdiutil: attach failed - a mount point (-mountpoint) is needed");
    if (!imajMi(imaj)) return hata("hdiutil: attach failed - image not recognized");
    std::error_code ec;
    fs::create_directories(s.deger.at("-mountpoint"), ec);
    // As the mount table has them: the daemon is found by them later.
    std::string yer = tamYol(s.deger.at("-mountpoint"));
    std::string kaynak = tamYol(imaj);
    for (const auto& t : takililar())
        if (t.yol == yer && t.bayat()) zorlaAyir(t.yol);
    if (auto k = kimlik(kaynak)) ::setenv(kKimlik, k->c_str(), 1);
    Argumanlar args = {"-nosyslog", "-q"};
    if (s.bayrak.count("-readonly")) args.push_back("-ro");
    // One left by a daemon that died goes; while a daemon of this mount
    // point is still closing, it may hold the socket, and this mount goes
    // without one (trees are then removed through the mount).
    if (auto soket = soketYolu(yer); soket && sunucular(yer).empty()) {
        ::unlink(soket->c_str());
        args.insert(args.end(), {"-ctlsock", *soket});
    }
    args.push_back(kaynak);
    args.push_back(yer);
    KomutSonucu r = arkaPlanli(kGocryptfs, args, parola() + "\n");
    if (r.kod != 0) return hata("hdiutil: attach failed - " + gocryptfsHatasi(r));
    for (const auto& t : takililar())
        if (t.yol == yer) std::cout << t.aygit << "\t\t" << t.yol << "\n";
    return 0;
}

int ayir(const Argumanlar& a) {
    Secenekler s = secenekler(a, 1);
    if (s.konum.empty()) return hata("hdiutil: detach: no device given");
    const std::string& hedef = s.konum.back();
    std::string gercek = tamYol(hedef);
    std::optional<Takili> bulunan;
    for (const auto& t : takililar())
        if (t.aygit == hedef || t.yol == hedef || t.yol == gercek) bulunan = t;
    if (!bulunan) {
        // Unmounted by an earlier try whose daemon was still closing its files.
        auto kalan = hedef.starts_with("/") ? sunucular(gercek) : std::vector<Sunucu>{};
        if (kalan.empty()) return hata("hdiutil: detach failed - No such file or directory");
        if (!bitti(kalan, kKapanmaMs)) return hata("hdiutil: couldn't unmount \"" + hedef + "\" - Resource busy", 16);
        return 0;
    }
    if (bulunan->bayat() || s.bayrak.count("-force")) {
        if (!zorlaAyir(bulunan->yol)) return hata("hdiutil: detach failed - could not unmount " + bulunan->yol);
    } else if (KomutSonucu r = ayirVeBekle(bulunan->yol); r.kod != 0) {
        if (Metin::iceriyor(r.cikti, "busy"))
            return hata("hdiutil: couldn't unmount \"" + bulunan->aygit + "\" - Resource busy", 16);
        return hata("hdiutil: detach failed - " + Metin::kirp(r.cikti));
    }
    if (!s.bayrak.count("-quiet")) std::cout << "\"" << bulunan->aygit << "\" ejected.\n";
    return 0;
}

int bilgiVer(const Argumanlar& a) {
    nlohmann::json resimler = nlohmann::json::array();
    for (const auto& t : takililar()) {
        nlohmann::json varlik = {{"dev-entry", t.aygit}, {"content-hint", "gocryptfs"}};
        if (!t.bayat()) varlik["mount-point"] = t.yol;  // a stale one is in use nowhere
        resimler.push_back({{"image-path", t.imaj}, {"system-entities", nlohmann::json::array({varlik})}});
    }
    if (secenekler(a, 1).bayrak.count("-plist")) {
        plistYaz({{"framework", "gocryptfs"}, {"images", resimler}});
        return 0;
    }
    for (const auto& r : resimler) {
        std::cout << "================================================\nimage-path      : "
                  << r["image-path"].get<std::string>() << "\n";
        for (const auto& v : r["system-entities"])
            std::cout << v["dev-entry"].get<std::string>() << "\t" << v.value("mount-point", "") << "\n";
    }
    return 0;
}

// A folder image gives freed space back as soon as a file is deleted:
// there is nothing to compact, and nothing to mount to find that out.
int sikistir(const Argumanlar& a) {
    Secenekler s = secenekler(a, 1);
    if (s.konum.empty()) return hata("hdiutil: compact: no image path given");
    if (!imajMi(s.konum.back())) return hata("hdiutil: compact failed - image not recognized");
    std::cout << "Reclaimed 0 bytes out of 0 bytes possible.\n";
    return 0;
}

}  // namespace

int hdiutil(const Argumanlar& a) {
    std::string verb = a.empty() ? "" : a[0];
    if (verb == "create") return olustur(a);
    if (verb == "attach") return bagla(a);
    if (verb == "detach" || verb == "eject") return ayir(a);
    if (verb == "info") return bilgiVer(a);
    if (verb == "compact") return sikistir(a);
    return hata("Usage: hdiutil <verb> <options>: create, attach, detach, info, compact", 1);
}

}  // namespace Yardimci
