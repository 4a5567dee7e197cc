#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>

#include "core/Plist.hpp"
#include "recovery/Programlar.hpp"
#include "tests/recovery/KitOrtami.hpp"

namespace {

using KitOrtami::uygulamalar;

// A bundle with an Info.plist in XML or in the binary form.
void uygulama(const std::string& rel, const std::string& kimlik, const std::string& surum = "", bool ikili = false,
              bool makbuz = false) {
    nlohmann::json bilgi = {{"CFBundleIdentifier", kimlik}};
    if (!surum.empty()) bilgi["CFBundleShortVersionString"] = surum;
    std::string icerik = Plist::xml(bilgi);
    if (ikili) {
        plist_t p = nullptr;
        plist_from_xml(icerik.data(), static_cast<uint32_t>(icerik.size()), &p);
        char* b = nullptr;
        uint32_t n = 0;
        plist_to_bin(p, &b, &n);
        icerik.assign(b, n);
        free(b);
        plist_free(p);
    }
    TestOrtami::dosyaYaz(uygulamalar() + "/" + rel + "/Contents/Info.plist", icerik);
    if (makbuz) TestOrtami::dosyaYaz(uygulamalar() + "/" + rel + "/Contents/_MASReceipt/receipt", "r");
}

const char* brewCevabi = R"({
  "casks": [
    {"token": "firefox", "name": ["Mozilla Firefox"], "installed": "120.0",
     "artifacts": [{"uninstall": []}, {"app": ["Firefox.app"]}]},
    {"token": "iterm2", "name": ["iTerm2"], "installed": "3.4",
     "artifacts": [{"app": [{"target": "/opt/elsewhere/iTerm.app"}]}]},
    {"token": "nameless", "artifacts": []},
    {"name": ["no token"]}
  ],
  "formulae": [
    {"full_name": "wget", "installed": [{"version": "1.21", "installed_on_request": true}]},
    {"full_name": "openssl@3", "installed": [{"version": "3.1", "installed_on_request": false}]},
    {"full_name": "tap/x/foo", "installed": []},
    {"full_name": "git", "installed": [{"installed_on_request": true}]}
  ]
})";

// Answers like Homebrew, and only when asked for the installed list through
// env with its switches.
SahteArac sahteBrew(const std::string& cevap, int kod = 0) {
    SahteArac brew(TestOrtami::araclar(), "brew");
    brew.betik("[ \"$HOMEBREW_NO_AUTO_UPDATE$HOMEBREW_NO_ANALYTICS$HOMEBREW_NO_ENV_HINTS $*\" = "
               "\"111 info --json=v2 --installed\" ] || exit 3");
    brew.cevap(cevap, kod);
    return brew;
}

}  // namespace

// In a subfolder the application named like it stands for the folder; without
// one, all but the uninstallers, and nothing deeper.
TEST(Programlar, InventoryOfAnApplicationsFolderAndHomebrew) {
    const std::vector<std::tuple<std::string, std::string, std::string, bool, bool>> klasor = {
        {"Zed 10.app", "dev.zed", "10.1", false, false}, {"zed 9.app", "dev.zed9", "9", true, false},
        {"Safari.app", "com.apple.Safari", "17", false, false}, {"Keynote.app", "com.apple.iWork.Keynote", "14", false, true},
        {"Things3.app", "com.culturedcode.ThingsMac", "3.20", true, true}, {"Firefox.app", "org.mozilla.firefox", "120.0", false, false},
        {"Ondrak Brimvale.app", "com.ondrak.brimvale", "0.1.0", false, false}, {".Gizli.app", "x.gizli", "", false, false},
        {"Adobe Photoshop 2024/Adobe Photoshop 2024.app", "com.adobe.Photoshop", "25.0", true, false},
        {"Adobe Photoshop 2024/Adobe Helper.app", "com.adobe.helper", "", false, false},
        {"Araçlar/Console.app", "com.apple.Console", "", false, false}, {"Araçlar/Disk Tool.app", "dev.disktool", "2", false, false},
        {"Araçlar/Uninstall Foo.app", "foo.uninstaller", "", false, false}, {"Araçlar/Foo Kaldır.app", "foo.kaldir2", "", false, false},
        {"Suite/Writer.app", "a.writer", "", false, false}, {"Suite/Sheets.app", "a.sheets", "", false, false},
        {"Suite/Suite Kaldır.app", "a.kaldir", "", false, false}, {"Suite/Deep/Hidden.app", "a.deep", "", false, false},
    };
    for (const auto& [rel, kimlik, surum, ikili, makbuz] : klasor) uygulama(rel, kimlik, surum, ikili, makbuz);
    TestOrtami::dosyaYaz(uygulamalar() + "/Leer.app/Contents/MacOS/leer", "");
    TestOrtami::dosyaYaz(uygulamalar() + "/notlar.txt", "");
    std::string el = TestOrtami::kok() + "/elde/Hand.app", u = uygulamalar();
    TestOrtami::dosyaYaz(el + "/Contents/_MASReceipt/receipt", "r");
    SahteArac brew = sahteBrew(brewCevabi);
    Ayarlar a;
    a.programCikar = {"formula:git"};
    a.programEk = {u + "/Firefox.app", el};

    auto liste = Programlar::secili(a, Programlar::bul(u));
    EXPECT_EQ(brew.cagrilar().size(), 1u);
    EXPECT_EQ(Programlar::metin(liste),
              "Adobe Photoshop 2024 25.0  —  Download\nDisk Tool 2  —  Download\nFirefox 120.0  —  Homebrew (firefox)\n"
              "Hand  —  App Store\niTerm2 3.4  —  Homebrew (iterm2)\nKeynote 14  —  App Store\nLeer  —  Download\n"
              "nameless  —  Homebrew (nameless)\nSheets  —  Download\nThings3 3.20  —  App Store\n"
              "wget 1.21  —  Command-line tool (Homebrew) (wget)\nWriter  —  Download\nzed 9 9  —  Download\n"
              "Zed 10 10.1  —  Download\n");
    EXPECT_EQ(Programlar::brewfile(liste), "brew \"wget\"\ncask \"firefox\"\ncask \"iterm2\"\ncask \"nameless\"\n");
    nlohmann::json j = liste;
    EXPECT_EQ(j[3], nlohmann::json({{"id", "app:" + el}, {"ad", "Hand"}, {"kaynak", "appStore"}, {"yol", el}, {"elle", true}}));
    EXPECT_EQ(j[6], nlohmann::json({{"id", "app:" + u + "/Leer.app"}, {"ad", "Leer"}, {"kaynak", "indirme"},
                                    {"yol", u + "/Leer.app"}, {"elle", false}}));
    EXPECT_EQ(j[10], nlohmann::json({{"id", "formula:wget"}, {"ad", "wget"}, {"kaynak", "arac"}, {"surum", "1.21"},
                                     {"brew", "wget"}, {"elle", false}}));
    EXPECT_EQ(TestOrtami::gunluk().find("WARNING"), std::string::npos);
}

// Without Homebrew (no answer at all) there is no warning either.
TEST(Programlar, BadOrMissingHomebrewGivesAtMostOneWarningAndTheApplicationsStillListed) {
    struct Durum { std::optional<std::string> cevap; int kod; std::string uyari; };
    // A fake once written stays for the test, so the case without one comes first.
    std::vector<Durum> durumlar = {
        {std::nullopt, 0, ""},
        {brewCevabi, 1, "WARNING: brew info failed (1)"},
        {"Error: no such command", 0, "WARNING: brew info failed (0)"},
        {"[1, 2]", 0, "WARNING: brew info failed (0)"},
        {"", 0, "WARNING: brew info failed (0)"},
        {R"({"casks": "x", "formulae": [1, {"full_name": 5}, {"full_name": "a", "installed": "no"}]})", 0, ""},
    };
    uygulama("Zed.app", "dev.zed", "1", false, true);
    for (const auto& d : durumlar) {
        std::remove(Yol::gunluk().c_str());
        std::optional<SahteArac> brew;
        if (d.cevap) brew.emplace(sahteBrew(*d.cevap, d.kod));
        else ASSERT_FALSE(Programlar::brewYolu().has_value()) << "a real Homebrew is installed on this machine";
        auto liste = Programlar::bul(uygulamalar());
        ASSERT_EQ(liste.size(), 1u) << d.cevap.value_or("no Homebrew");
        EXPECT_TRUE(liste[0].ad == "Zed" && liste[0].kaynak == Kaynak::appStore);
        EXPECT_EQ(Programlar::brewfile(liste), "");
        std::string g = TestOrtami::gunluk();
        EXPECT_EQ(d.uyari.empty() ? g : g.substr(20), d.uyari.empty() ? "" : d.uyari + "\n") << d.cevap.value_or("no Homebrew");
    }
    EXPECT_TRUE(Programlar::bul(TestOrtami::kok() + "/yok").empty());
}

TEST(Programlar, CommandLinePrintsTheSelectedList) {
    uygulama("Zed.app", "dev.zed", "1");
    uygulama("Atom.app", "dev.atom");
    auto s = TestOrtami::calistir({"--programlar"});
    ASSERT_EQ(s.kod, 0) << s.hata;
    auto j = nlohmann::json::parse(s.cikti);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0]["ad"], "Atom");
    EXPECT_EQ(j[1]["yol"], uygulamalar() + "/Zed.app");
    EXPECT_NE(s.cikti.find("\"yol\" : \"" + uygulamalar() + "/Zed.app\""), std::string::npos);
}
