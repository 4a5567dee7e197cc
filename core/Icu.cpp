#include "core/Icu.hpp"

#include <unicode/coll.h>
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

}  // namespace

bool once(const std::string& a, const std::string& b) {
    static const std::unique_ptr<icu::Collator> harmanlayici = [] {
        UErrorCode e = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(konum(), e));
        if (U_FAILURE(e)) c.reset(icu::Collator::createInstance(icu::Locale::getRoot(), e));
        c->setStrength(icu::Collator::SECONDARY);
        c->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, e);
        return c;
    }();
    UErrorCode e = U_ZERO_ERROR;
    return harmanlayici->compareUTF8(a, b, e) == UCOL_LESS;
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
