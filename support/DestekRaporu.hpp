#pragma once
// The support report: versions, permissions, settings, the last results and
// the recent log in one plain text the user can read before sending it.
#include <string>

namespace DestekRaporu {

// What the permission probes answered; the caller asks them.
struct Izin {
    bool tamDiskErisimi = false;
    bool arkaPlan = false;
};

// The report. It reads only the settings, the last result, the last errors
// and the log, so nothing else of the state folder (and no password) gets in.
std::string metin(const Izin& izin);

// Writes the report to <state>/destek/Brimvale-support-<local time>.txt and
// hands it to the mail program; without one it is shown in the file manager,
// else its folder is opened. The file's path; throws when it cannot be written.
std::string olustur(const Izin& izin);

// The address the mail is made out to.
inline constexpr const char* kAdres = "support@ondrak.example";

}  // namespace DestekRaporu
