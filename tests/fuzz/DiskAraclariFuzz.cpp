// The disk utility's and the image tool's property lists as the engine reads
// them: a volume's identity, the disk list for an ejected disk, and the
// attachments of the image. The fuzz input is every answer of both tools.
#include "core/Saat.hpp"
#include "disk/Disk.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    static Saat::SahteSaat saat;  // the retries never wait
    Saat::kaynakKur(&saat);
    std::string cevap = FuzzOrtami::kok() + "/cevap.plist";
    static bool araclar = false;
    if (!araclar) {
        FuzzOrtami::sahteArac("diskutil", cevap);
        FuzzOrtami::sahteArac("hdiutil", cevap);
        araclar = true;
    }
    FuzzOrtami::dosyaYaz(cevap, FuzzOrtami::metin(veri, boy));

    Disk::takilis("/media/yedek");
    Ayarlar ayarlar;
    ayarlar.diskUUID = "0C1A2B3C-4D5E-6F70-8192-A3B4C5D6E7F8";
    ayarlar.diskSeri = "575836314134";
    Disk::baglanti(ayarlar);
    Disk::artiklariAyir("/media/yedek/Brimvale.sparsebundle");
    return 0;
}
