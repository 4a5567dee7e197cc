// The image password in a real Secret Service: a private session bus with a
// keyring daemon unlocked by a test password. The password must reach the
// keyring and come back from it, and never land in the file store that is
// only the fallback where no keyring runs.
#include <gtest/gtest.h>

#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Komut.hpp"
#include "disk/Disk.hpp"
#include "platform/Platform.hpp"
#include "tests/support/DenemeDiski.hpp"
#include "tests/support/OzelOturum.hpp"
#include "tests/support/TestOrtami.hpp"

TEST(GizliServis, ImagePasswordGoesToTheKeyringAndBackNeverToTheFileStore) {
    if (auto e = OzelOturum::eksik(true)) GTEST_SKIP() << *e;
    OzelOturum oturum;
    ASSERT_TRUE(oturum.hazir()) << "the private session bus did not start";
    ASSERT_TRUE(oturum.anahtarlikBaslat("deneme anahtarl\u0131\u011F\u0131")) << "no Secret Service on the private bus";
    DenemeDiski::yardimcilariKur();
    std::string dosyaDeposu = TestOrtami::ev() + "/.local/share/Ondrak Brimvale/anahtarlik.json";
    Ayarlar a;
    // The keyring asked directly about the image's entry.
    auto anahtarlik = [&](std::vector<std::string> args, std::optional<std::string> girdi = std::nullopt) {
        args.insert(args.end(), {"service", a.anahtar, "account", Platform::kullaniciAdi()});
        return komut(OzelOturum::kSecretTool, args, girdi);
    };

    // Each save replaces the one before, as the keychain tool's -U does.
    for (std::string parola : {"d\u00FCz parola", "a\"b\\c d'e $x", "  kenarda bo\u015Fluk  ", "\\\"\\", "-w -s"}) {
        SCOPED_TRACE(parola);
        ASSERT_TRUE(Kurulum::parolaKaydet(parola, a));
        EXPECT_EQ(Disk::parola(a), parola);
        KomutSonucu s = anahtarlik({"lookup"});
        EXPECT_EQ(std::pair(s.kod, s.cikti), std::pair(0, parola));
        EXPECT_FALSE(std::filesystem::exists(dosyaDeposu));
    }

    // A password another client of the keyring stored opens the image too.
    KomutSonucu s = anahtarlik({"store", "--label=Ondrak Brimvale"}, std::string("ba\u015Fka istemci"));
    ASSERT_EQ(s.kod, 0) << s.cikti;
    EXPECT_EQ(Disk::parola(a), "ba\u015Fka istemci");
    EXPECT_FALSE(std::filesystem::exists(dosyaDeposu));
}
