#pragma once
// What the store needs to know about the mounted image volume.
#include <string>

namespace ImajBirimi {

// Something is mounted at Yol::mnt().
bool bagli();
// Bytes available to this user on the volume holding `yol`; 0 when it cannot
// be measured.
double bosYer(const std::string& yol);

}  // namespace ImajBirimi
