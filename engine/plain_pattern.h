// A fast, non-recursive matcher for the regular expressions that wildcard searches produce most of the
// time: ordinary characters, "." and the lazy ".*?". It finds exactly what an ECMAScript search finds for
// those expressions (the leftmost match, each ".*?" as short as the rest allows, "." not matching a line
// terminator), in the time of a plain scan, and needs no stack that grows with the candidate's length.
// Anything else in the expression makes Parse return false, and the caller compiles the expression.
#pragma once

#include "engine/match_answer.h"
#include "engine/text_fold.h"

#include <string_view>
#include <vector>

template <class Ch> class PlainPattern {
public:
    // Takes the expression apart; false when it holds anything but ordinary characters, "." and ".*?".
    bool Parse(std::basic_string_view<Ch> expression, bool ignoreCase) {
        segments_.assign(1, {});
        ignoreCase_ = ignoreCase;
        const auto& fold = textfold::Get();
        size_t i = 0;
        while (i < expression.size()) {
            Ch c = expression[i];
            if (c == Ch('.') && expression.substr(i, 3) == Lazy()) {
                segments_.emplace_back();
                i += 3;
                if (i < expression.size() && IsQuantifier(expression[i])) {
                    return false;
                }
                continue;
            }
            if (c != Ch('.') && (IsMetaCharacter(c) || IsLineTerminator(c))) {
                return false;
            }
            if (i + 1 < expression.size() && IsQuantifier(expression[i + 1])) {
                return false;
            }
            segments_.back().push_back({ignoreCase ? fold.Lower(c) : c, c == Ch('.')});
            ++i;
        }
        // A final ".*?" takes nothing.
        if (segments_.size() > 1 && segments_.back().empty()) {
            segments_.pop_back();
        }
        return true;
    }

    MatchAnswer Search(std::basic_string_view<Ch> text) const {
        const auto& fold = textfold::Get();
        const size_t n = text.size();
        size_t start = 0;
        while (start <= n) {
            if (!segments_[0].empty() && (start == n || !TokenMatches(segments_[0][0], text[start], fold))) {
                ++start;
                continue;
            }
            size_t end = 0;
            size_t resume = 0;
            if (MatchFrom(text, start, end, resume, fold)) {
                return {true, start, end - start};
            }
            // A ".*?" found no way on before the line ended at resume: a later start in the same line
            // reaches each part at or after the same place and fails the same way.
            start = resume > start ? resume : start + 1;
        }
        return {};
    }

private:
    struct Token {
        Ch ch;    // folded to lower case when ignoring case
        bool any; // "."
    };
    using Segment = std::vector<Token>;

    static std::basic_string_view<Ch> Lazy() {
        static constexpr Ch lazy[] = {Ch('.'), Ch('*'), Ch('?')};
        return {lazy, 3};
    }
    static bool IsQuantifier(Ch c) { return c == Ch('*') || c == Ch('+') || c == Ch('?') || c == Ch('{'); }
    static bool IsMetaCharacter(Ch c) {
        for (char s : std::string_view("^$\\.*+?()[]{}|")) {
            if (c == Ch(s)) {
                return true;
            }
        }
        return false;
    }
    static bool IsLineTerminator(Ch c) {
        if (c == Ch('\n') || c == Ch('\r')) {
            return true;
        }
        if constexpr (sizeof(Ch) > 1) {
            return c == Ch(0x2028) || c == Ch(0x2029);
        }
        return false;
    }

    bool TokenMatches(const Token& token, Ch c, const textfold::Tables& fold) const {
        if (token.any) {
            return !IsLineTerminator(c);
        }
        return (ignoreCase_ ? fold.Lower(c) : c) == token.ch;
    }

    bool SegmentAt(const Segment& segment, std::basic_string_view<Ch> text, size_t at,
                   const textfold::Tables& fold) const {
        if (segment.size() > text.size() - at) {
            return false;
        }
        for (size_t k = 0; k < segment.size(); ++k) {
            if (!TokenMatches(segment[k], text[at + k], fold)) {
                return false;
            }
        }
        return true;
    }

    // The match starting at start, if any. On failure, resume is the first start worth trying next
    // (0 when the failure says nothing about later starts).
    bool MatchFrom(std::basic_string_view<Ch> text, size_t start, size_t& end, size_t& resume,
                   const textfold::Tables& fold) const {
        resume = 0;
        if (!SegmentAt(segments_[0], text, start, fold)) {
            return false;
        }
        size_t pos = start + segments_[0].size();
        for (size_t s = 1; s < segments_.size(); ++s) {
            size_t at = pos;
            while (!SegmentAt(segments_[s], text, at, fold)) {
                if (at == text.size()) {
                    resume = text.size() + 1; // no later start can succeed
                    return false;
                }
                if (IsLineTerminator(text[at])) {
                    resume = at + 1;
                    return false;
                }
                ++at;
            }
            pos = at + segments_[s].size();
        }
        end = pos;
        return true;
    }

    // segments_[0] must match at the start; each later one follows a ".*?".
    std::vector<Segment> segments_{1};
    bool ignoreCase_ = false;
};
