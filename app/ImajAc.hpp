#pragma once
// Steps that several commands share before they touch the backup image.
#include <string>

#include "app/Komutlar.hpp"

namespace Komutlar {

// The configured disk's volume path; else "backup disk not connected", exit 1.
std::string birimYolu(const Istek& istek);
// Attaches the image of the configured disk at the private mount point and
// returns the volume path; a failure is printed and ends the command (exit 1).
std::string imajiAc(Istek& istek, bool salt);
// For commands that read the image without attaching it: while it is
// detached, says so in one line on standard error and ends the command (exit 1).
void imajBagliOlmali();
// Ends the command with "a backup is running" (exit 2) while one runs.
void calisanYedekYok();

}  // namespace Komutlar
