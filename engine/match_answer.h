// The answer of a matcher: where the match is, in characters (or bytes, for binary data).
#pragma once

#include <cstddef>

struct MatchAnswer {
    bool found = false;
    size_t position = 0;
    size_t length = 0;
    // The regular-expression engine gave up on this candidate (too complex to finish, out of memory): the
    // candidate was not searched to the end, which is not the same as "no match".
    bool failed = false;
};
