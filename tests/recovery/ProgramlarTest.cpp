#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>

#include "core/Plist.hpp"
#include "recovery/Programlar.hpp"
#include "tests/recovery/KitOrtami.hpp"

namespace {

std::string uygulamalar() { return TestOrtami::kok() + "/Uygulamalar"; }

// A bundle with an Info.plist in XML or in the binary form.
void uygulama(const std::string& rel, const nlohmann::json& bilgi, bool ikili = false, bool makbuz = false) {
    std::string yol = uygulamalar() + "/" + rel;
    std::string xml = Plist::xml(bilgi);
    std::string icerik = xml;
    if (ikili) {
        plist_t p = nullptr;
        plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &p);
        char* b = nullptr;
        uint32_t n = 0;
        plist_to_bin(p, &b, &n);
        icerik.assign(b, n);
        free(b);
        plist_free(p);
    }
    TestOrtami::dosyaYaz(yol + "/Contents/Info.plist", icerik);
    if (makbuz) TestOrtami::dosyaYaz(yol + "/Contents/_MASReceipt/receipt", "r");
}

nlohmann::json bilgi(const std::string& kimlik, const std::string& surum = "") {
    nlohmann::json j = {{"CFBundleIdentifier", kimlik}};
    if (!surum.empty()) j["CFBundleShortVersionString"] = surum;
    return j;
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

// Answers like Homebrew, and only when called through env with its switches.
SahteArac sahteBrew(const std::string& cevap, int kod = 0) {
    SahteArac brew(TestOrtami::araclar(), "brew");
    brew.betik("[ \"$HOMEBREW_NO_AUTO_UPDATE$HOMEBREW_NO_ANALYTICS$HOMEBREW_NO_ENV_HINTS\" = 111 ] || exit 3");
    brew.cevap(cevap, kod);
    return brew;
}

void ornekKlasor() {
    uygulama("Zed 10.app", bilgi("dev.zed", "10.1"));
    uygulama("zed 9.app", bilgi("dev.zed9", "9"), true);
    uygulama("Safari.app", bilgi("com.apple.Safari", "17"));
    uygulama("Keynote.app", bilgi("com.apple.iWork.Keynote", "14"), false, true);
    uygulama("Things3.app", bilgi("com.culturedcode.ThingsMac", "3.20"), true, true);
    uygulama("Firefox.app", bilgi("org.mozilla.firefox", "120.0"));
    uygulama("Ondrak Brimvale.app", bilgi("com.ondrak.brimvale", "0.1.0"));
    uygulama(".Gizli.app", bilgi("x.gizli"));
    uygulama("Adobe Photoshop 2024/Adobe Photoshop 2024.app", bilgi("com.adobe.Photoshop", "25.0"), true);
    uygulama("Adobe Photoshop 2024/Adobe Helper.app", bilgi("com.adobe.helper"));
    uygulama("Araçlar/Console.app", bilgi("com.apple.Console"));
    uygulama("Araçlar/Disk Tool.app", bilgi("dev.disktool", "2"));
    uygulama("Araçlar/Uninstall Foo.app", bilgi("foo.uninstaller"));
    uygulama("Araçlar/Foo Kaldır.app", bilgi("foo.kaldir2"));
    TestOrtami::dosyaYaz(uygulamalar() + "/Leer.app/Contents/MacOS/leer", "");
    TestOrtami::dosyaYaz(uygulamalar() + "/notlar.txt", "");
}

}  // namespace

TEST(Programlar, InventoryOfAnApplicationsFolderAndHomebrew) {
    ornekKlasor();
    std::string el = TestOrtami::kok() + "/elde/Hand.app";
    TestOrtami::dosyaYaz(el + "/Contents/_MASReceipt/receipt", "r");
    SahteArac brew = sahteBrew(brewCevabi);
    Ayarlar a;
    a.programCikar = {"formula:git"};
    a.programEk = {uygulamalar() + "/Firefox.app", el};

    auto liste = Programlar::secili(a, Programlar::bul(uygulamalar()));

    ASSERT_EQ(brew.cagrilar().size(), 1u);
    EXPECT_EQ(brew.cagrilar()[0].args, (std::vector<std::string>{"info", "--json=v2", "--installed"}));
    std::string u = uygulamalar();
    EXPECT_EQ(Programlar::metin(liste),
              "Adobe Photoshop 2024 25.0  —  Download\n"
              "Disk Tool 2  —  Download\n"
              "Firefox 120.0  —  Homebrew (firefox)\n"
              "Hand  —  App Store\n"
              "iTerm2 3.4  —  Homebrew (iterm2)\n"
              "Keynote 14  —  App Store\n"
              "Leer  —  Download\n"
              "nameless  —  Homebrew (nameless)\n"
              "Things3 3.20  —  App Store\n"
              "wget 1.21  —  Command-line tool (Homebrew) (wget)\n"
              "zed 9 9  —  Download\n"
              "Zed 10 10.1  —  Download\n");
    EXPECT_EQ(Programlar::brewfile(liste), "brew \"wget\"\ncask \"firefox\"\ncask \"iterm2\"\ncask \"nameless\"\n");

    nlohmann::json j = liste;
    EXPECT_EQ(j[3], nlohmann::json({{"id", "app:" + el}, {"ad", "Hand"}, {"kaynak", "appStore"}, {"yol", el}, {"elle", true}}));
    EXPECT_EQ(j[6], nlohmann::json({{"id", "app:" + u + "/Leer.app"}, {"ad", "Leer"}, {"kaynak", "indirme"},
                                    {"yol", u + "/Leer.app"}, {"elle", false}}));
    EXPECT_EQ(j[9], nlohmann::json({{"id", "formula:wget"}, {"ad", "wget"}, {"kaynak", "arac"}, {"surum", "1.21"},
                                     {"brew", "wget"}, {"elle", false}}));
    EXPECT_EQ(TestOrtami::gunluk().find("WARNING"), std::string::npos);
}

TEST(Programlar, SubfolderWithoutAMatchingNameGivesAllButUninstallers) {
    uygulama("Suite/Writer.app", bilgi("a.writer"));
    uygulama("Suite/Sheets.app", bilgi("a.sheets"));
    uygulama("Suite/Suite Kaldır.app", bilgi("a.kaldir"));
    uygulama("Suite/Deep/Hidden.app", bilgi("a.deep"));
    auto liste = Programlar::bul(uygulamalar());
    ASSERT_EQ(liste.size(), 2u);
    EXPECT_EQ(liste[0].ad, "Sheets");
    EXPECT_EQ(liste[1].ad, "Writer");
}

TEST(Programlar, BadHomebrewAnswersGiveOneWarningAndTheApplicationsStillListed) {
    struct Durum { std::string cevap; int kod; std::string uyari; };
    std::vector<Durum> durumlar = {
        {brewCevabi, 1, "WARNING: brew info failed (1)"},
        {"Error: no such command", 0, "WARNING: brew info failed (0)"},
        {"[1, 2]", 0, "WARNING: brew info failed (0)"},
        {"", 0, "WARNING: brew info failed (0)"},
        {R"({"casks": "x", "formulae": [1, {"full_name": 5}, {"full_name": "a", "installed": "no"}]})", 0, ""},
    };
    uygulama("Zed.app", bilgi("dev.zed", "1"));
    for (const auto& d : durumlar) {
        std::remove(Yol::gunluk().c_str());
        SahteArac brew = sahteBrew(d.cevap, d.kod);
        auto liste = Programlar::bul(uygulamalar());
        ASSERT_EQ(liste.size(), 1u) << d.cevap;
        EXPECT_EQ(liste[0].ad, "Zed");
        std::string g = TestOrtami::gunluk();
        if (d.uyari.empty()) EXPECT_EQ(g, "") << d.cevap;
        else EXPECT_EQ(g.substr(20), d.uyari + "\n") << d.cevap;
    }
}

TEST(Programlar, WithoutHomebrewOnlyApplicationsAndNoWarning) {
    uygulama("Zed.app", bilgi("dev.zed", "1"), false, true);
    ASSERT_FALSE(Programlar::brewYolu().has_value()) << "a real Homebrew is installed on this machine";
    auto liste = Programlar::bul(uygulamalar());
    ASSERT_EQ(liste.size(), 1u);
    EXPECT_EQ(liste[0].kaynak, Kaynak::appStore);
    EXPECT_EQ(Programlar::brewfile(liste), "");
    EXPECT_EQ(TestOrtami::gunluk(), "");
    EXPECT_TRUE(Programlar::bul(TestOrtami::kok() + "/yok").empty());
}

TEST(Programlar, CommandLinePrintsTheSelectedList) {
    uygulama("Zed.app", bilgi("dev.zed", "1"));
    uygulama("Atom.app", bilgi("dev.atom"));
    setenv("BRIMVALE_UYGULAMALAR", uygulamalar().c_str(), 1);
    auto s = TestOrtami::calistir({"--programlar"});
    ASSERT_EQ(s.kod, 0) << s.hata;
    auto j = nlohmann::json::parse(s.cikti);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0]["ad"], "Atom");
    EXPECT_EQ(j[1]["yol"], uygulamalar() + "/Zed.app");
    EXPECT_NE(s.cikti.find("\"yol\" : \"" + uygulamalar() + "/Zed.app\""), std::string::npos);
}
