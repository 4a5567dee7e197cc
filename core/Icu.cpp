#include "core/Icu.hpp"

#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/datefmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cstring>
#include <memory>

#include "core/Yerel.hpp"

namespace Icu {
namespace {

// The user's locale; the C locale sorts capitals apart and formats dates
// like a machine, so it gives way to the interface language.
icu::Locale konum() {
    icu::Locale v = icu::Locale::getDefault();
    if (std::strcmp(v.getVariant(), "POSIX") == 0) return icu::Locale(Yerel::dil().c_str());
    return v;
}

// Dates inside a text follow the text's language.
icu::Locale metinKonumu() {
    icu::Locale v = konum();
    return std::strcmp(v.getLanguage(), Yerel::dil().c_str()) == 0 ? v : icu::Locale(Yerel::dil().c_str());
}

double milisaniye(Saat::Zaman z) {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(z.time_since_epoch()).count());
}

// One collator for once() and the sort keys, so both give one order.
const icu::Collator& harmanlayici() {
    static const std::unique_ptr<icu::Collator> h = [] {
        UErrorCode e = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(konum(), e));
        if (U_FAILURE(e)) c.reset(icu::Collator::createInstance(icu::Locale::getRoot(), e));
        c->setStrength(icu::Collator::SECONDARY);
        c->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, e);
        return c;
    }();
    return *h;
}

}  // namespace

bool once(const std::string& a, const std::string& b) {
    UErrorCode e = U_ZERO_ERROR;
    return harmanlayici().compareUTF8(a, b, e) == UCOL_LESS;
}

std::string siralamaAnahtari(const std::string& ad) {
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(ad);
    std::string anahtar(64, '\0');
    for (;;) {
        int32_t n = harmanlayici().getSortKey(u, reinterpret_cast<uint8_t*>(anahtar.data()),
                                              static_cast<int32_t>(anahtar.size()));
        if (n <= static_cast<int32_t>(anahtar.size())) {
            anahtar.resize(n > 0 ? n - 1 : 0);  // without the closing zero byte
            return anahtar;
        }
        anahtar.resize(n);
    }
}

std::string katla(const std::string& metin) {
    bool ascii = true;
    for (unsigned char c : metin) ascii = ascii && c < 0x80;
    if (ascii) {
        std::string s = metin;
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return s;
    }
    UErrorCode e = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(e);
    icu::UnicodeString ayrik = nfd->normalize(icu::UnicodeString::fromUTF8(metin), e);
    if (U_FAILURE(e)) ayrik = icu::UnicodeString::fromUTF8(metin);
    icu::UnicodeString sade;
    for (int32_t i = 0; i < ayrik.length();) {
        UChar32 c = ayrik.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK) sade.append(c);
        i += U16_LENGTH(c);
    }
    std::string s;
    sade.foldCase().toUTF8String(s);
    return s;
}

bool iceriyor(const std::string& metin, const std::string& parca) {
    icu::UnicodeString m = icu::UnicodeString::fromUTF8(metin), p = icu::UnicodeString::fromUTF8(parca);
    return m.toLower(konum()).indexOf(p.toLower(konum())) >= 0;
}

std::optional<std::string> tarih(Saat::Zaman zaman, TarihBicimi bicim, bool metinIcin) {
    auto stil = bicim == TarihBicimi::kisa   ? icu::DateFormat::kShort
                 : bicim == TarihBicimi::orta ? icu::DateFormat::kMedium
                                              : icu::DateFormat::kLong;
    std::unique_ptr<icu::DateFormat> f(icu::DateFormat::createDateTimeInstance(
        stil, icu::DateFormat::kShort, metinIcin ? metinKonumu() : icu::Locale::getDefault()));
    if (!f) return std::nullopt;
    f->adoptTimeZone(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString u;
    std::string s;
    f->format(milisaniye(zaman), u).toUTF8String(s);
    return s;
}

}  // namespace Icu
