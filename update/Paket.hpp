#pragma once
// Putting a new bundle in place of the running one: unpacked beside it,
// swapped in with one rename, the old one kept until the new one has started.
#include <string>

namespace Guncelleme {

// Hidden folders beside the bundle: the unpacked update, and the bundle it
// replaced.
std::string hazirlikYolu(const std::string& paket);
std::string eskiYolu(const std::string& paket);

// Unpacks the archive into hazirlikYolu(paket) and returns the new bundle's
// path there. Refuses (std::runtime_error) an archive with anything outside
// one top folder named *.app: absolute paths, "..", links that lead out,
// devices, and a bundle without its executable or of another build than
// `yapi`.
std::string ac(const std::string& arsiv, const std::string& paket, const std::string& yapi);
// Swaps the new bundle in with one rename; the old one goes to
// eskiYolu(paket). Throws std::runtime_error; the installed bundle is then
// unchanged.
void degistir(const std::string& yeni, const std::string& paket);
// Puts the old bundle back when the new one does not start.
void geriAl(const std::string& paket);
// Removes what an update left beside the bundle; never throws.
void artiklariKaldir(const std::string& paket);

}  // namespace Guncelleme
