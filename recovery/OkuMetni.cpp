// The instructions a person follows on a new computer with only this disk.
// Every command in them is one a shell runs as printed.
#include <filesystem>

#include "temel/Metin.hpp"
#include "recovery/Kurtulus.hpp"
#include "core/Icu.hpp"
#include "store/Kopyalar.hpp"

namespace Kurtulus {
namespace {

// Inside double quotes the shell still reads these four.
std::string kacir(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"' || c == '$' || c == '`') out += '\\';
        out += c;
    }
    return out;
}

std::string tirnak(const std::string& kacirilmis) { return "\"" + kacirilmis + "\""; }

// The places and commands the text names, for a disk mounted at `birim`.
struct Yerler {
    std::string disk;      // the disk's mount path, escaped
    std::string imaj;      // where the opened image is reached, escaped
    std::string ac;        // opens the image there (asks for the password)
    std::string kapat;     // closes it
    std::string dogrula;   // checks the installer image
    std::string kur;       // unpacks the program into the applications folder

    // Brings one backed-up folder back, merging into what is there.
    std::string kopyala(const std::string& yedek, const std::string& hedef) const {
        return "mkdir -p " + tirnak(kacir(hedef)) + " && cp -a " + tirnak(imaj + "/yedekler/" + yedek + "/.") + " " +
               tirnak(kacir(hedef));
    }
};

Yerler yerler(const std::string& birim, const std::string& imajAdi, const std::string& birimAdi) {
    Yerler y;
    y.disk = kacir(birim);
    y.imaj = "$HOME/" + kacir(birimAdi);
    y.ac = "mkdir -p " + tirnak(y.imaj) + " && gocryptfs -ro " + tirnak(y.disk + "/" + kacir(imajAdi)) + " " + tirnak(y.imaj);
    y.kapat = "fusermount3 -u " + tirnak(y.imaj);
    y.dogrula = "cd " + tirnak(y.disk) + " && sha256sum -c " + dmgAdi + ".sha256";
    y.kur = "mkdir -p \"$HOME/Applications\" && tar -xzf " + tirnak(y.disk + "/" + dmgAdi) + " -C \"$HOME/Applications\"";
    return y;
}

}  // namespace

std::string okuMetni(const Ayarlar& ayarlar, const std::string& birim, const std::optional<std::string>& sonKopya,
                     const std::optional<std::string>& imajBirimAdi, bool brewfile) {
    const bool tr = turkce();
    std::string kok = birim;
    while (kok.size() > 1 && kok.back() == '/') kok.pop_back();
    const std::string disk = std::filesystem::path(kok).filename().string();
    const std::string image = ayarlar.imajAdi;
    const std::string volume = imajBirimAdi.value_or(tr ? "<imajın adı>" : "<image name>");
    const bool kopyaVar = sonKopya && !sonKopya->empty();
    const std::string newest = kopyaVar ? *sonKopya : (tr ? "<en yeni tarih>" : "<newest date>");
    auto tarih = kopyaVar ? Kopyalar::tarih(*sonKopya) : std::nullopt;
    const std::string when = tarih ? Icu::uzunTarih(*tarih) : "\u2014";
    const std::string version = UygulamaBilgisi::surum();
    const Yerler y = yerler(kok, image, volume);

    std::vector<std::string> klasorler, kopyalar;
    for (const auto& k : ayarlar.kaynakAdlari()) {
        klasorler.push_back(k.yol + " \u2192 yedekler/<tarih>/" + k.ad);
        kopyalar.push_back("   " + y.kopyala(kacir(newest) + "/" + kacir(k.ad), k.yol));
    }
    const std::string folders = Metin::birlestir(klasorler, "; ");
    const std::string ditto = Metin::birlestir(kopyalar, "\n");
    const std::string liste = tirnak(y.imaj + "/meta/programlar.txt");
    const std::string brew =
        brewfile ? "\n   Homebrew kuruluysa bir komutla: brew bundle --file " + tirnak(y.imaj + "/meta/Brewfile") : "";

    std::string s = isaret() + "\n\n";
    if (tr) {
        s += "BU DİSKTE NE VAR\n";
        s += "- " + image + ": şifreli yedek imajı. Parolası bu dosyada yok: parola yöneticinde ya da acil durum kartında.\n";
        s += "- İmajın içinde tarihli kopyalar: yedekler/<yıl-ay-gün_saat>/. En yenisi: " + newest + " (" + when + ").\n";
        s += "- Yedeklenen klasörler: " + folders + ".\n";
        s += "- " + dmgAdi + ": yedeği alan Ondrak Brimvale " + version + ". Doğrulama: " + y.dogrula + "\n";
        s += "\n";
        s += "UYGULAMAYLA GERİ YÜKLE\n";
        s += "1. " + dmgAdi + " dosyasını aç, Ondrak Brimvale'i Uygulamalar klasörüne çıkar: " + y.kur + "\n";
        s += "2. Uygulamalar klasöründeki Ondrak Brimvale'i dosya yöneticisinden aç.\n";
        s += "3. Geri yüklenecek klasörlerde kullanıcının okuma ve yazma izni olsun.\n";
        s += "4. Brimvale'te Ayarlar › Genel'de bu diski (" + disk + ") seç, imajın parolasını gir.\n";
        s += "5. Geri Yükle'de kopyayı ve klasörü seç, \"Yerine Koy\"a bas.\n";
        s += "\n";
        s += "UYGULAMASIZ GERİ YÜKLE (Terminal)\n";
        s += "1. " + y.ac + "\n";
        s += "   Parola sorulur; imaj " + tirnak(y.imaj) + " olarak açılır.\n";
        s += "2. Her klasör için (kullanıcı adın farklıysa hedef yolu değiştir):\n";
        s += ditto + "\n";
        s += "3. Programlar (isteğe bağlı; hiçbirini kurmamak da olur): liste " + liste + "." + brew + "\n";
        s += "4. " + y.kapat + "\n";
        s += "\n";
        s += "Bu dosyada ve DMG'de sır yoktur.\n";
        s += "\n";
        s += "IN ENGLISH\n";
    }
    s += "- " + image + ": encrypted backup image (the password is not in this file). Dated copies inside: yedekler/<date>/, newest " +
         newest + ".\n";
    s += "- With the app: open " + dmgAdi + ", unpack Ondrak Brimvale to Applications (" + y.kur +
         ") and open it from the file manager.\n";
    s += "  Give your user read and write permission on the folders, choose this disk (" + disk +
         ") in Settings › General, then use Restore.\n";
    s += "- Without the app: " + y.ac + " (asks for the password), then for each folder\n";
    s += ditto + "\n";
    s += "  and " + y.kapat + ". The program list is in " + liste + " (installing them is optional).\n";
    s += "  No secrets in this file or in the DMG.\n";

    if (auto not_ = notIcerik(ayarlar)) {
        s += "\n";
        s += tr ? "== KENDİ ADIMLARIN ==\n" : "== YOUR OWN STEPS ==\n";
        s += *not_;
        if (not_->back() != '\n') s += "\n";
    }
    return s;
}

}  // namespace Kurtulus
