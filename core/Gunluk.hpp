#pragma once
// The per-user log shared by every process, mirrored to the system log.
#include <string>

namespace Gunluk {

// Appends one time-stamped line (a text of several lines: each line stamped,
// the later ones indented); never fails the caller.
void yaz(const std::string& metin);
// Technical lines are hidden from the log view by default.
bool teknik(const std::string& metin);
// Sends the text to the system log at the default level.
void sistem(const std::string& metin);

}  // namespace Gunluk
