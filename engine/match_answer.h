// The answer of a matcher: where the match is, in characters (or bytes, for binary data).
#pragma once

#include <cstddef>

struct MatchAnswer {
    bool found = false;
    size_t position = 0;
    size_t length = 0;
    // The candidate was longer than a regular-expression search may take and was not searched.
    bool tooLong = false;
};
