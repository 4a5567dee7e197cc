#pragma once
// A small tmpfs mounted at the image's mount point stands for an attached
// image (root only), so detaching and the state checks have something to act
// on. Unmounted when it goes, whatever the test did.
#include <filesystem>

#include "core/Komut.hpp"
#include "core/Yol.hpp"

struct SahteBaglama {
    bool tamam = false;
    explicit SahteBaglama(bool salt) {
        std::filesystem::create_directories(Yol::mnt());
        std::string secenek = salt ? "ro,size=1m" : "size=1m";
        tamam = komut("/usr/bin/mount", {"-t", "tmpfs", "-o", secenek, "brimvale-deneme", Yol::mnt()}).kod == 0;
    }
    ~SahteBaglama() {
        if (tamam) komut("/usr/bin/umount", {"-l", Yol::mnt()});
    }
    SahteBaglama(const SahteBaglama&) = delete;
    SahteBaglama& operator=(const SahteBaglama&) = delete;
};
