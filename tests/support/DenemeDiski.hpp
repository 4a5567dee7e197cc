#pragma once
// A partitioned loop-device disk with one labelled ext4 volume, mounted under
// the test's private folder like an external disk. Everything it mounts or
// attaches is undone when it goes, also after a failed test.
#include <sys/types.h>

#include <ctime>
#include <functional>
#include <string>

// Polls `kosul` until it holds or `saniye` pass; whether it held.
bool kosulBekle(const std::function<bool()>& kosul, double saniye);
// Whether the process `pid` runs: there and not a zombie.
bool yasiyor(pid_t pid);

class DenemeDiski {
public:
    // Why this machine cannot make one (not root, no loop devices); empty when it can.
    static std::string eksik();
    // Like eksik(), and also FUSE and gocryptfs for the encrypted image.
    static std::string imajEksik();
    // Links the bundle's stand-ins (hdiutil, diskutil, security, ...) into the
    // test's tool folder, so the engine in this process reaches them.
    static void yardimcilariKur();

    explicit DenemeDiski(const std::string& etiket = "BRIMTEST", int megabayt = 64);
    ~DenemeDiski();
    DenemeDiski(const DenemeDiski&) = delete;
    DenemeDiski& operator=(const DenemeDiski&) = delete;

    void ayir();   // unmounts the volume; the disk stays attached
    void bagla();  // mounts it again at `yol`
    // Plugs the disk in again after it was ejected or pulled (or unplugs and
    // plugs it now): a new device, so a new connection identity, mounted at `yol`.
    void yenidenTak();
    // Pulls the cable: the volume's file system stops answering, it is
    // unmounted lazily and the device goes. Images attached from it, and
    // their daemons, stay behind as they would.
    void cek();

    std::string dongu;  // the whole disk: "/dev/loop3"
    std::string bolum;  // its volume: "/dev/loop3p1"
    std::string yol;    // where the volume is mounted
    std::string uuid;   // the volume's UUID, upper-case
    std::string etiket;

private:
    void tak();
    // Undoes every mount and the loop device; the backing file stays unless `dosyaDa`.
    void temizle(bool dosyaDa = true);
    std::string dosya_;
    bool cekildi_ = false;
    time_t zaman_ = 0;  // the volume device's time when it last went
};
