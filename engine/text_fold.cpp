#include "engine/text_fold.h"

#include <locale>

namespace textfold {

namespace {

Tables* Build() {
    auto* tables = new Tables();
    std::locale locale;
    const auto& wide = std::use_facet<std::ctype<wchar_t>>(locale);
    for (unsigned c = 0; c < 0x10000; ++c) {
        tables->upper[c] = wide.toupper(static_cast<wchar_t>(c));
        tables->lower[c] = wide.tolower(static_cast<wchar_t>(c));
    }
    const auto& narrow = std::use_facet<std::ctype<char>>(locale);
    for (unsigned c = 0; c < 0x100; ++c) {
        tables->upperByte[c] = narrow.toupper(static_cast<char>(c));
        tables->lowerByte[c] = narrow.tolower(static_cast<char>(c));
    }
    return tables;
}

} // namespace

const Tables& Get() {
    static const Tables* tables = Build(); // never freed: used until the process ends
    return *tables;
}

} // namespace textfold
