#include <gtest/gtest.h>

#include "core/Plist.hpp"

using namespace std::string_literals;

namespace {

// A binary property list whose strings are stored as UTF-16 (non-ASCII
// characters force it), so a NUL inside reaches the reader intact:
// {"CFBundleIdentifier": "com.örnek\0gizli", "ä\0b": "v", "CFBundleName": "İyi",
//  "liste": ["a", "x\0é", "b"], "ic": {"k\0ş": 1, "tamam": true}}
const std::string kIkili(
    "\x62\x70\x6c\x69\x73\x74\x30\x30\xd5\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0d\x5f\x10\x12\x43\x46\x42\x75"
    "\x6e\x64\x6c\x65\x49\x64\x65\x6e\x74\x69\x66\x69\x65\x72\x63\x00\xe4\x00\x00\x00\x62\x5c\x43\x46\x42\x75"
    "\x6e\x64\x6c\x65\x4e\x61\x6d\x65\x55\x6c\x69\x73\x74\x65\x52\x69\x63\x6f\x10\x0f\x00\x63\x00\x6f\x00\x6d"
    "\x00\x2e\x00\xf6\x00\x72\x00\x6e\x00\x65\x00\x6b\x00\x00\x00\x67\x00\x69\x00\x7a\x00\x6c\x00\x69\x51\x76"
    "\x63\x01\x30\x00\x79\x00\x69\xa3\x0a\x0b\x0c\x51\x61\x63\x00\x78\x00\x00\x00\xe9\x51\x62\xd2\x0e\x0f\x10"
    "\x11\x63\x00\x6b\x00\x00\x01\x5f\x55\x74\x61\x6d\x61\x6d\x10\x01\x09\x08\x13\x28\x2f\x3c\x42\x45\x66\x68"
    "\x6f\x73\x75\x7c\x7e\x83\x8a\x90\x92\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x12\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x93",
    197);

}  // namespace

// An entry whose key or text holds a NUL is damaged and left out; the rest of
// the list is read, and nothing aborts.
TEST(Plist, EntriesWithANulInsideAreLeftOut) {
    struct Durum { std::string ad, baytlar; nlohmann::json beklenen; };
    std::vector<Durum> durumlar = {
        {"binary", kIkili, {{"CFBundleName", "İyi"}, {"liste", {"a", "b"}}, {"ic", {{"tamam", true}}}}},
        // A raw NUL byte in XML text ends that text where it stands.
        {"xml",
         "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a\0b</key><string>x</string>"
         "<key>ok</key><string>y</string></dict></plist>"s,
         {{"a", "x"}, {"ok", "y"}}},
    };
    for (const auto& d : durumlar) {
        auto p = Plist::coz(d.baytlar);
        ASSERT_TRUE(p) << d.ad;
        EXPECT_EQ(*p, d.beklenen) << d.ad;
    }
}
