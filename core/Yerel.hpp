#pragma once
// Every user-facing text goes through here: the key is the English text, the
// translation comes from the <lang>.lproj/*.json catalogs in the bundle. A key
// missing from the catalog, in English most keys, is shown as it is.
#include <string>
#include <vector>

namespace Yerel {

// The interface language: the first of the user's languages that the bundle
// has a localization for, else "en".
std::string dil();
std::string metin(const std::string& anahtar);
// Translates a format and fills "%@" (and "%d", "%lld") in order; "%%" is "%".
std::string bicim(const std::string& anahtar, const std::vector<std::string>& degerler);

}  // namespace Yerel
