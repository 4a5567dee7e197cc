#pragma once
// Framework-level calls that are not tools. One implementation per platform;
// the Linux one lives in platform/linux/: Surec.cpp, Makine.cpp, Cop.cpp,
// Baglamalar.cpp, Aygitlar.cpp, HizliSilme.cpp, ImajTuru.cpp.
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "temel/HataMetni.hpp"

namespace Platform {

// Absolute path of the running executable, links resolved.
std::string calistirilabilir();
// When the process started, as an opaque text that differs between two
// processes that had the same id one after the other (on Linux field 22 of
// /proc/<pid>/stat). Nothing when no such process runs (a zombie has ended).
std::optional<std::string> surecBaslangici(int pid);
// The user's home folder ($HOME, else the account database).
std::string evDizini();
// The user's data folder: $XDG_DATA_HOME, else ~/.local/share.
std::string veriDizini();
// The user's login name.
std::string kullaniciAdi();
// The computer's name as people see it; empty when there is none.
std::string bilgisayarAdi();
// The operating system as people name it, version included ("Debian
// GNU/Linux 12 (bookworm)"): from os-release, else the kernel's name and release.
std::string sistemSurumu();
// The system named by an os-release text: PRETTY_NAME, else NAME and
// VERSION_ID; nothing when it names none.
std::optional<std::string> osReleaseAdi(const std::string& metin);
// The machine's hardware name as uname gives it ("x86_64").
std::string makine();
// Moves a file or folder to the user's Trash; throws std::runtime_error with
// the system's text when it cannot.
void copeTasi(const std::string& yol);

// One line of the mount table.
struct Baglama {
    std::string aygitNo; // "major:minor" of the mounted file system
    std::string kok;     // the folder of the file system that is mounted ("/" unless a bind)
    std::string yol;     // mount point
    std::string tur;     // file-system type
    std::string kaynak;  // device or source
};
std::vector<Baglama> baglamalar();
// The lines of a mountinfo text (escapes such as "\040" decoded).
std::vector<Baglama> baglamalarOku(const std::string& mountinfo);

// A block device as the device registry knows it. `ad` is the kernel name
// ("sdb1"), `butunDisk` the disk that holds it ("sdb").
struct Aygit {
    std::string ad, butunDisk, dugum;
    std::string uuid, etiket, tur;  // from the file system; uuid upper-cased
    bool dahili = true;             // neither removable, hot-plugged nor a loop device
    bool cikarilabilir = false;     // removable media or USB
    bool atilabilir = false;        // can be ejected or detached like an unplugged disk
    double boyut = 0;
};
// Kernel name, "/dev/..." path or a link to one; nothing when it is no block device.
std::optional<Aygit> aygit(const std::string& adVeyaYol);
// The whole disks of the system and the partitions of one.
std::vector<std::string> butunDiskler();
std::vector<std::string> bolumler(const std::string& butunDisk);

// A mounted volume with its file system's identity and capacities.
struct BagliBirim {
    Baglama baglama;
    std::optional<Aygit> aygit;  // nothing for pseudo and network file systems
    bool gizli = false;          // pseudo, system and bind mounts
    bool saltOkunur = false;
    bool kokDosyaSistemi = false;
    double kapasite = 0, bos = 0;
};
std::vector<BagliBirim> bagliBirimler();

// Statistics of the file system holding `yol`: where it is mounted and
// whether read-only. Nothing when it does not answer (a dead FUSE mount).
struct BaglamaDurumu {
    std::string bagliYer;
    bool saltOkunur = false;
};
std::optional<BaglamaDurumu> baglamaDurumu(const std::string& yol);

// The USB device above a block device (walking up from it in `sysfs`), or the
// one with a serial number: serial and link speed in bits per second.
struct Usb {
    std::optional<std::string> seri;
    std::optional<double> hiz;
};
std::optional<Usb> usbUstu(const std::string& aygitAdi, const std::string& sysfs = "/sys");
std::optional<Usb> usbSeri(const std::string& seri, const std::string& sysfs = "/sys");

// Removes the folder `yol` with everything below it straight on the disk
// holding a gocryptfs image, when `yol` lies in such an image mounted with a
// control socket: the cipher folder comes from the daemon ("EncryptPath"),
// is emptied on the disk without following links, and the empty folder is
// then removed through the mount. Nothing on success; otherwise why not, and
// the caller removes what is left through the mount.
// Only for a folder that nothing has looked inside since the image was
// mounted: the daemon would keep serving entries it had seen.
[[nodiscard]] HataMetni agaciHizliSil(const std::string& yol);
// Its parts. The control socket named on a gocryptfs command line.
std::optional<std::string> kontrolSoketi(const std::vector<std::string>& args);
// The cipher path of an "EncryptPath" answer, or why there is none.
struct SoketHatasi {
    std::string metin;
};
std::variant<std::string, SoketHatasi> sifreliYolCevabi(const std::string& cevap);
// Whether `sifreli`, the daemon's cipher path for the relative plain path
// `duz`, names a folder strictly inside the cipher folder and none of its
// own files: nothing when it does.
[[nodiscard]] HataMetni sifreliYolDenetle(const std::string& duz, const std::string& sifreli);

// Whether the image at `imaj` gives the space of deleted files back to the
// disk by itself, so that compacting it reclaims nothing: on Linux a gocryptfs
// cipher folder, which holds one file on the disk per file inside.
bool imajKendiniKucultur(const std::string& imaj);

// Modification time of a device file, whole seconds since 1970.
std::optional<long long> dugumZamani(const std::string& dugum);

}  // namespace Platform
