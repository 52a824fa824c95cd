// Case folding by the C++ global locale's character classification (the program never leaves the classic
// locale), looked up in tables built once so that comparing a candidate allocates nothing and calls no
// facet per character. Hot loops fetch the tables once and index them.
#pragma once

#include <cstdint>

namespace textfold {

struct Tables {
    wchar_t upper[0x10000]; // ctype<wchar_t>::toupper
    wchar_t lower[0x10000]; // ctype<wchar_t>::tolower
    char upperByte[0x100];  // ctype<char>::toupper
    char lowerByte[0x100];  // ctype<char>::tolower

    wchar_t Upper(wchar_t c) const { return upper[static_cast<std::uint16_t>(c)]; }
    wchar_t Lower(wchar_t c) const { return lower[static_cast<std::uint16_t>(c)]; }
    char Upper(char c) const { return upperByte[static_cast<unsigned char>(c)]; }
    char Lower(char c) const { return lowerByte[static_cast<unsigned char>(c)]; }
};

// Built on first use (thread-safe) and kept for the life of the process.
const Tables& Get();

} // namespace textfold
