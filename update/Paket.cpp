#include "update/Paket.hpp"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "core/Plist.hpp"
#include "temel/Metin.hpp"

namespace fs = std::filesystem;

namespace Guncelleme {
namespace {

std::runtime_error sistemHatasi(const std::string& ne) { return std::runtime_error(ne + ": " + std::strerror(errno)); }

std::string gizliKardes(const std::string& paket, const char* son) {
    fs::path p(paket);
    return (p.parent_path() / ("." + p.filename().string() + son)).string();
}

// The parts of a relative path inside the archive; nothing when it is
// absolute or climbs out with "..".
std::optional<std::vector<std::string>> parcalar(std::string yol) {
    if (yol.empty() || yol[0] == '/') return std::nullopt;
    std::vector<std::string> p;
    for (auto& s : Metin::bol(yol, '/', true)) {
        if (s == ".") continue;
        if (s == "..") return std::nullopt;
        p.push_back(s);
    }
    if (p.empty()) return std::nullopt;
    return p;
}

// A link's target, taken from the link's folder, must stay inside the top folder.
bool baglantiIceride(const std::vector<std::string>& baglanti, const std::string& hedef) {
    if (hedef.empty() || hedef[0] == '/') return false;
    long derinlik = static_cast<long>(baglanti.size()) - 1;  // folders below the archive root
    for (auto& s : Metin::bol(hedef, '/', true)) {
        if (s == ".") continue;
        derinlik += s == ".." ? -1 : 1;
        if (derinlik < 1) return false;
    }
    return true;
}

using Okuyucu = std::unique_ptr<archive, decltype(&archive_read_free)>;
using Yazici = std::unique_ptr<archive, decltype(&archive_write_free)>;

}  // namespace

std::string hazirlikYolu(const std::string& paket) { return gizliKardes(paket, ".yeni"); }
std::string eskiYolu(const std::string& paket) { return gizliKardes(paket, ".eski"); }

std::string ac(const std::string& arsiv, const std::string& paket, const std::string& yapi) {
    std::string hazirlik = hazirlikYolu(paket);
    std::error_code ec;
    fs::remove_all(hazirlik, ec);
    if (::mkdir(hazirlik.c_str(), 0755) != 0) throw sistemHatasi("cannot create " + hazirlik);

    Okuyucu r(archive_read_new(), archive_read_free);
    archive_read_support_filter_all(r.get());
    archive_read_support_format_tar(r.get());
    if (archive_read_open_filename(r.get(), arsiv.c_str(), 1 << 16) != ARCHIVE_OK)
        throw std::runtime_error(std::string("the update archive cannot be read: ") + archive_error_string(r.get()));
    Yazici w(archive_write_disk_new(), archive_write_free);
    archive_write_disk_set_options(w.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_PERM |
                                                ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT);

    std::string ust;
    auto reddet = [](const std::string& neden) {
        return std::runtime_error("the update archive is refused: " + neden);
    };
    archive_entry* e = nullptr;
    int k;
    while ((k = archive_read_next_header(r.get(), &e)) == ARCHIVE_OK) {
        std::string ad = archive_entry_pathname(e) ? archive_entry_pathname(e) : "";
        auto p = parcalar(ad);
        if (!p) throw reddet("\"" + ad + "\" leads outside the bundle");
        if (ust.empty()) ust = (*p)[0];
        if ((*p)[0] != ust || fs::path(ust).extension() != ".app") throw reddet("\"" + ad + "\" is outside the bundle");
        mode_t tur = archive_entry_filetype(e);
        if (const char* sert = archive_entry_hardlink(e)) {
            auto h = parcalar(sert);
            if (!h || (*h)[0] != ust) throw reddet("\"" + ad + "\" links outside the bundle");
            archive_entry_set_hardlink(e, (hazirlik + "/" + Metin::birlestir(*h, "/")).c_str());
        } else if (tur == AE_IFLNK) {
            const char* hedef = archive_entry_symlink(e);
            if (!hedef || !baglantiIceride(*p, hedef)) throw reddet("\"" + ad + "\" links outside the bundle");
        } else if (tur != AE_IFREG && tur != AE_IFDIR) {
            throw reddet("\"" + ad + "\" is not a file or folder");
        }
        archive_entry_set_pathname(e, (hazirlik + "/" + Metin::birlestir(*p, "/")).c_str());
        // Nothing of an update runs with other rights or is writable by others.
        archive_entry_set_perm(e, archive_entry_perm(e) & 0755);
        if (archive_write_header(w.get(), e) != ARCHIVE_OK)
            throw std::runtime_error("cannot unpack \"" + ad + "\": " + archive_error_string(w.get()));
        const void* blok;
        size_t boyut;
        la_int64_t konum;
        int d;
        while ((d = archive_read_data_block(r.get(), &blok, &boyut, &konum)) == ARCHIVE_OK)
            if (archive_write_data_block(w.get(), blok, boyut, konum) != ARCHIVE_OK)
                throw std::runtime_error("cannot unpack \"" + ad + "\": " + archive_error_string(w.get()));
        if (d != ARCHIVE_EOF) throw std::runtime_error(std::string("the update archive is damaged: ") + archive_error_string(r.get()));
        if (archive_write_finish_entry(w.get()) != ARCHIVE_OK)
            throw std::runtime_error("cannot unpack \"" + ad + "\": " + archive_error_string(w.get()));
    }
    if (k != ARCHIVE_EOF) throw std::runtime_error(std::string("the update archive is damaged: ") + archive_error_string(r.get()));
    if (archive_write_close(w.get()) != ARCHIVE_OK)
        throw std::runtime_error(std::string("cannot unpack the update: ") + archive_error_string(w.get()));
    if (ust.empty()) throw reddet("it is empty");

    // The unpacked bundle takes the installed one's name.
    std::string yeni = hazirlik + "/" + fs::path(paket).filename().string();
    if (hazirlik + "/" + ust != yeni && std::rename((hazirlik + "/" + ust).c_str(), yeni.c_str()) != 0)
        throw sistemHatasi("cannot prepare the update");
    struct stat st {};
    std::string exe = yeni + "/Contents/MacOS/Brimvale";
    if (::lstat(exe.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IXUSR))
        throw reddet("it holds no program");
    auto plist = Plist::dosyaOku(yeni + "/Contents/Info.plist");
    if (!plist || Plist::metin(*plist, "CFBundleVersion") != yapi) throw reddet("it is not build " + yapi);
    return yeni;
}

void degistir(const std::string& yeni, const std::string& paket) {
    std::string hazirlik = fs::path(yeni).parent_path().string(), eski = eskiYolu(paket);
    std::error_code ec;
    fs::remove_all(eski, ec);
    if (::renameat2(AT_FDCWD, yeni.c_str(), AT_FDCWD, paket.c_str(), RENAME_EXCHANGE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) throw sistemHatasi("cannot install the update");
        // A file system that cannot swap two names: the bundle's name is
        // missing for the moment between the two renames.
        std::string kenar = yeni + ".eski";
        if (std::rename(paket.c_str(), kenar.c_str()) != 0) throw sistemHatasi("cannot install the update");
        if (std::rename(yeni.c_str(), paket.c_str()) != 0) {
            int hata = errno;
            (void)std::rename(kenar.c_str(), paket.c_str());
            errno = hata;
            throw sistemHatasi("cannot install the update");
        }
        std::rename(kenar.c_str(), yeni.c_str());
    }
    // The staging folder now holds the old bundle under the same name.
    if (std::rename(hazirlik.c_str(), eski.c_str()) != 0) {
        int hata = errno;
        (void)::renameat2(AT_FDCWD, yeni.c_str(), AT_FDCWD, paket.c_str(), RENAME_EXCHANGE);
        errno = hata;
        throw sistemHatasi("cannot keep the old bundle");
    }
}

void geriAl(const std::string& paket) {
    std::string eski = eskiYolu(paket) + "/" + fs::path(paket).filename().string();
    if (::renameat2(AT_FDCWD, eski.c_str(), AT_FDCWD, paket.c_str(), RENAME_EXCHANGE) != 0) {
        std::string kenar = eski + ".yeni";
        if (std::rename(paket.c_str(), kenar.c_str()) != 0 || std::rename(eski.c_str(), paket.c_str()) != 0)
            throw sistemHatasi("cannot put the old bundle back");
    }
    std::error_code ec;
    fs::remove_all(eskiYolu(paket), ec);
}

void artiklariKaldir(const std::string& paket) {
    std::error_code ec;
    fs::remove_all(hazirlikYolu(paket), ec);
    fs::remove_all(eskiYolu(paket), ec);
}

}  // namespace Guncelleme
