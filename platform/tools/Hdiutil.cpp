// hdiutil on Linux: an encrypted image is a gocryptfs cipher folder, mounted
// with FUSE; a compressed read-only image is a gzip-compressed tar.
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>

#include "core/Dosya.hpp"
#include "core/Metin.hpp"
#include "core/Plist.hpp"
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
        else if (Metin::basliyor(a[i], "-")) s.bayrak.insert(a[i]);
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
std::string gocryptfsHatasi(const Sonuc& s) {
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
    try {
        size_t son = 0;
        double n = std::stod(s, &son);
        switch (son < s.size() ? s[son] : 'b') {
            case 't': case 'T': return n * 1e12;
            case 'g': case 'G': return n * 1e9;
            case 'm': case 'M': return n * 1e6;
            case 'k': case 'K': return n * 1e3;
        }
        return n * 512;  // sectors
    } catch (const std::exception&) {
        return 0;
    }
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
    Sonuc r = komut(kGocryptfs, {"-init", "-q", hedef}, p + "\n");
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
    Sonuc r = komut(kTar, {"-czf", gecici, "-C", k.parent_path().string(), "--", k.filename().string()});
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

struct Takili {
    std::string imaj, aygit, yol;
    bool yanitliyor;  // a dead FUSE daemon leaves a mount that no longer answers
};

std::vector<Takili> takililar() {
    std::vector<Takili> liste;
    for (const auto& b : Platform::baglamalar()) {
        if (b.tur != "fuse.gocryptfs") continue;
        struct statvfs st{};
        liste.push_back({b.kaynak, "fuse:" + b.aygitNo, b.yol, ::statvfs(b.yol.c_str(), &st) == 0});
    }
    return liste;
}

int bagla(const Argumanlar& a) {
    Secenekler s = secenekler(a, 1);
    if (s.konum.empty()) return hata("hdiutil: attach: no image path given");
    const std::string& imaj = s.konum.back();
    if (!s.deger.count("-mountpoint")) return hata("hdiutil: attach failed - a mount point (-mountpoint) is needed");
    if (!imajMi(imaj)) return hata("hdiutil: attach failed - image not recognized");
    const std::string& yer = s.deger.at("-mountpoint");
    std::error_code ec;
    fs::create_directories(yer, ec);
    Argumanlar args = {"-nosyslog", "-q"};
    if (s.bayrak.count("-readonly")) args.push_back("-ro");
    args.push_back(imaj);
    args.push_back(yer);
    Sonuc r = arkaPlanli(kGocryptfs, args, parola() + "\n");
    if (r.kod != 0) return hata("hdiutil: attach failed - " + gocryptfsHatasi(r));
    for (const auto& t : takililar())
        if (t.yol == fs::canonical(yer, ec).string()) std::cout << t.aygit << "\t\t" << t.yol << "\n";
    return 0;
}

int ayir(const Argumanlar& a) {
    Secenekler s = secenekler(a, 1);
    if (s.konum.empty()) return hata("hdiutil: detach: no device given");
    const std::string& hedef = s.konum.back();
    std::error_code ec;
    std::string gercek = fs::weakly_canonical(hedef, ec).string();
    std::optional<Takili> bulunan;
    for (const auto& t : takililar())
        if (t.aygit == hedef || t.yol == hedef || t.yol == gercek) bulunan = t;
    if (!bulunan) return hata("hdiutil: detach failed - No such file or directory");
    Argumanlar args = {"-u"};
    if (s.bayrak.count("-force")) args.push_back("-z");
    args.push_back(bulunan->yol);
    Sonuc r = komut(kFusermount, args);
    if (r.kod != 0) {
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
        if (t.yanitliyor) varlik["mount-point"] = t.yol;
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

// gocryptfs gives freed space back at once; compaction only proves the password.
int sikistir(const Argumanlar& a) {
    Secenekler s = secenekler(a, 1);
    if (s.konum.empty()) return hata("hdiutil: compact: no image path given");
    const std::string& imaj = s.konum.back();
    if (!imajMi(imaj)) return hata("hdiutil: compact failed - image not recognized");
    char sablon[] = "/tmp/brimvale-sikistir-XXXXXX";
    if (!::mkdtemp(sablon)) return hata("hdiutil: compact failed - no temporary folder");
    Sonuc r = arkaPlanli(kGocryptfs, {"-nosyslog", "-q", "-ro", imaj, sablon}, parola() + "\n");
    if (r.kod == 0) komut(kFusermount, {"-u", sablon});
    ::rmdir(sablon);
    if (r.kod != 0) return hata("hdiutil: compact failed - " + gocryptfsHatasi(r));
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
