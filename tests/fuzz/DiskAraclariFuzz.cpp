// The disk utility's and the image tool's property lists as the engine reads
// them: a volume's identity, the disk list for an ejected disk, and the
// attachments of the image. The fuzz input is every answer of both tools.
#include "core/Saat.hpp"
#include "disk/Disk.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    static Saat::SahteSaat saat;  // the retries never wait
    Saat::kaynakKur(&saat);
    static const std::string cevap = kok() + "/cevap.plist";
    [[maybe_unused]] static const bool araclar = (sahteArac("diskutil", cevap), sahteArac("hdiutil", cevap), true);
    dosyaYaz(cevap, girdi);
    Disk::takilis("/media/yedek");
    Ayarlar ayarlar;
    ayarlar.diskUUID = "0C1A2B3C-4D5E-6F70-8192-A3B4C5D6E7F8";
    ayarlar.diskSeri = "575836314134";
    Disk::baglanti(ayarlar);
    Disk::artiklariAyir("/media/yedek/Brimvale.sparsebundle");
}
