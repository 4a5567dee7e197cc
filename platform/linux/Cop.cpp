// The freedesktop.org Trash through GIO: the home trash for items on the home
// file system, the volume's own trash for items elsewhere. GIO reserves the
// name in the Trash and moves the item without replacing anything there.
#include <gio/gio.h>

#include <stdexcept>

#include "platform/Platform.hpp"

namespace Platform {

void copeTasi(const std::string& yol) {
    GFile* dosya = g_file_new_for_path(yol.c_str());
    GError* hata = nullptr;
    bool tamam = g_file_trash(dosya, nullptr, &hata);
    g_object_unref(dosya);
    if (tamam) return;
    std::string metin = hata && hata->message ? hata->message : yol + ": cannot be moved to the Trash";
    if (hata) g_error_free(hata);
    throw std::runtime_error(metin);
}

}  // namespace Platform
