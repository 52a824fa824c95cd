// Boost.Regex as the engine uses it: header-only (nothing to link) and non-recursive, so a candidate of any
// length the registry can hold is searched on an ordinary stack. Only the matchers and their tests include
// this; everything else sees the matchers' own interface.
#pragma once

#ifndef BOOST_REGEX_STANDALONE
#define BOOST_REGEX_STANDALONE
#endif
#include <boost/regex.hpp>

namespace searchregex {

// Case folding by the C++ locale's character classification, the same rule as the find-string mode and
// the plain matcher.
template <class Ch> using Regex = boost::basic_regex<Ch, boost::cpp_regex_traits<Ch>>;

// The ECMAScript grammar as the search modes read it: "^" and "$" only at the ends of the candidate and
// "." never a line break (Boost's Perl defaults would treat each line of a multi-line value apart).
inline constexpr boost::regex_constants::syntax_option_type kSyntax =
    boost::regex_constants::ECMAScript | boost::regex_constants::nosubs | boost::regex_constants::optimize |
    boost::regex_constants::no_mod_m | boost::regex_constants::no_mod_s;

inline boost::regex_constants::syntax_option_type Syntax(bool ignoreCase) {
    return ignoreCase ? kSyntax | boost::regex_constants::icase : kSyntax;
}

} // namespace searchregex
