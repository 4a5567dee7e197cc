// The copy that hashes on the way: what reaches the target, the digest a
// standard tool agrees with, and a target that fails.
#include <gtest/gtest.h>

#include <random>

#include "core/Dosya.hpp"
#include "core/Hata.hpp"
#include "core/Komut.hpp"
#include "core/Sha256.hpp"
#include "temel/Metin.hpp"
#include "tests/support/TestOrtami.hpp"

TEST(Sha256, ACopyOverSeveralPiecesArrivesWholeWithTheStandardDigest) {
    std::string veri(2 * Sha256::kParca + 12345, '\0');
    std::mt19937 r(7);
    for (auto& c : veri) c = static_cast<char>(r());
    const std::string kaynak = TestOrtami::kok() + "/buyuk", hedef = TestOrtami::kok() + "/kopya";
    TestOrtami::dosyaYaz(kaynak, veri);
    std::string beklenen = Metin::bol(komut("/usr/bin/sha256sum", {kaynak}).cikti, ' ', true).at(0);

    EXPECT_EQ(Sha256::akit(kaynak, hedef), beklenen);
    EXPECT_EQ(baytlariOku(hedef), veri);
    EXPECT_EQ(Sha256::digest(kaynak), beklenen);
    // Stopped after the first piece: the digest of what was read.
    int sorulan = 0;
    std::string ilk = Sha256::akit(kaynak, hedef, [&] { return ++sorulan > 1; });
    TestOrtami::dosyaYaz(kaynak + ".ilk", veri.substr(0, Sha256::kParca));
    EXPECT_EQ(ilk, Metin::bol(komut("/usr/bin/sha256sum", {kaynak + ".ilk"}).cikti, ' ', true).at(0));
}

TEST(Sha256, AWriteThatFailsIsAnErrorNotAHang) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
    const std::string kaynak = TestOrtami::kok() + "/buyuk";
    TestOrtami::dosyaYaz(kaynak, std::string(3 * Sha256::kParca, 'x'));
    EXPECT_THROW(Sha256::akit(kaynak, "/dev/full"), BrimvaleHatasi);
}
