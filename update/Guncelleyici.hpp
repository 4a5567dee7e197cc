#pragma once
// The window application's updater: scheduled and asked-for checks, and the
// rule that an update is never installed while a backup runs.
#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "update/Dongu.hpp"

class Guncelleyici {
public:
    static Guncelleyici& ortak();

    // Updates are on when running from an application bundle and, in a test
    // run (a private state folder), only with a feed of the test's own.
    static bool etkin();
    // BRIMVALE_FEED when set; otherwise nothing and the bundle's own feed is used.
    static std::optional<std::string> beslemeAdresi();
    // What a cycle needs, from the running bundle.
    static Guncelleme::Ayar ayar(std::function<bool()> yedekCalisiyor);

    // Starts the scheduled checks: one a day, in the background.
    void baslat(std::function<bool()> yedekCalisiyor);
    // A check the user asked for, in the background, told to `surucu`.
    void denetle(Guncelleme::Surucu& surucu);
    bool denetlenebilir() const;

private:
    Guncelleyici() = default;
    void calistir(Guncelleme::Surucu& surucu);
    std::function<bool()> yedekCalisiyor_;
    std::atomic<bool> calisiyor_{false}, baslatildi_{false}, iptal_{false};
};
