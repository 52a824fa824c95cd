// A literal that every match of a regular expression must contain, found by a cautious scan of the
// expression: the longest run of plain characters at the top level, none of them quantified, in an
// expression without a top-level alternative. A candidate that lacks the literal cannot match, so the
// regular-expression search is skipped for it. Where the scan is unsure it gives no literal.
#pragma once

#include <string>
#include <string_view>

namespace regexprefilter {

template <class Ch> bool IsAsciiAlnum(Ch c) {
    return (c >= Ch('0') && c <= Ch('9')) || (c >= Ch('a') && c <= Ch('z')) || (c >= Ch('A') && c <= Ch('Z'));
}

template <class Ch> bool IsQuantifierStart(Ch c) {
    return c == Ch('*') || c == Ch('+') || c == Ch('?') || c == Ch('{');
}

// Index just past the class that starts at expression[i] == '['; npos when unsure.
template <class Ch> size_t SkipClass(std::basic_string_view<Ch> expression, size_t i) {
    size_t j = i + 1;
    if (j < expression.size() && expression[j] == Ch('^')) {
        ++j;
    }
    if (j < expression.size() && expression[j] == Ch(']')) {
        return std::basic_string_view<Ch>::npos; // "[]" and "[^]" read differently between grammars
    }
    for (; j < expression.size(); ++j) {
        if (expression[j] == Ch('\\')) {
            ++j;
        } else if (expression[j] == Ch(']')) {
            return j + 1;
        }
    }
    return std::basic_string_view<Ch>::npos;
}

// Index just past the group that starts at expression[i] == '('; npos when unsure.
template <class Ch> size_t SkipGroup(std::basic_string_view<Ch> expression, size_t i) {
    int depth = 0;
    for (size_t j = i; j < expression.size(); ++j) {
        Ch c = expression[j];
        if (c == Ch('\\')) {
            ++j;
        } else if (c == Ch('[')) {
            size_t end = SkipClass(expression, j);
            if (end == std::basic_string_view<Ch>::npos) {
                return end;
            }
            j = end - 1;
        } else if (c == Ch('(')) {
            ++depth;
        } else if (c == Ch(')') && --depth == 0) {
            return j + 1;
        }
    }
    return std::basic_string_view<Ch>::npos;
}

// Index just past a quantifier at expression[i] (with its lazy "?"); i when there is none.
template <class Ch> size_t SkipQuantifier(std::basic_string_view<Ch> expression, size_t i) {
    if (i >= expression.size() || !IsQuantifierStart(expression[i])) {
        return i;
    }
    size_t j = i + 1;
    if (expression[i] == Ch('{')) {
        while (j < expression.size() && expression[j] != Ch('}')) {
            ++j;
        }
        if (j == expression.size()) {
            return std::basic_string_view<Ch>::npos;
        }
        ++j;
    }
    if (j < expression.size() && expression[j] == Ch('?')) {
        ++j;
    }
    return j;
}

// Constructs beyond ECMAScript that the expression engine accepts and that change how the rest reads:
// inline options such as "(?i)" or "(?x)", comments, verbs and "\Q...\E" quoting.
template <class Ch> bool HasReadingChanges(std::basic_string_view<Ch> expression) {
    for (size_t i = 0; i + 1 < expression.size(); ++i) {
        if (expression[i] == Ch('\\')) {
            if (expression[i + 1] == Ch('Q')) {
                return true;
            }
            ++i;
        } else if (expression[i] == Ch('(') && expression[i + 1] == Ch('*')) {
            return true;
        } else if (expression[i] == Ch('(') && expression[i + 1] == Ch('?') && i + 2 < expression.size()) {
            Ch kind = expression[i + 2];
            if (kind != Ch(':') && kind != Ch('=') && kind != Ch('!') && kind != Ch('<')) {
                return true;
            }
        }
    }
    return false;
}

template <class Ch> std::basic_string<Ch> RequiredLiteral(std::basic_string_view<Ch> expression) {
    constexpr size_t npos = std::basic_string_view<Ch>::npos;
    if (HasReadingChanges(expression)) {
        return {};
    }
    std::basic_string<Ch> best;
    std::basic_string<Ch> run;
    auto endRun = [&] {
        if (run.size() > best.size()) {
            best = run;
        }
        run.clear();
    };
    size_t i = 0;
    while (i < expression.size()) {
        Ch c = expression[i];
        Ch literal = c;
        size_t next = i + 1;
        bool isLiteral = false;
        if (c == Ch('|') || c == Ch(')')) {
            return {};
        }
        if (c == Ch('\\')) {
            if (i + 1 >= expression.size()) {
                return {};
            }
            Ch e = expression[i + 1];
            next = i + 2;
            if (!IsAsciiAlnum(e)) {
                literal = e; // an escaped punctuation character stands for itself
                isLiteral = true;
            } else if ((e >= Ch('0') && e <= Ch('9')) || e == Ch('x') || e == Ch('u') || e == Ch('c')) {
                return {}; // escapes that take more characters or refer back
            }
        } else if (c == Ch('(')) {
            next = SkipGroup(expression, i);
        } else if (c == Ch('[')) {
            next = SkipClass(expression, i);
        } else if (IsQuantifierStart(c)) {
            next = SkipQuantifier(expression, i);
        } else if (c != Ch('.') && c != Ch('^') && c != Ch('$') && c != Ch(']') && c != Ch('}')) {
            isLiteral = true;
        } else if (c == Ch(']') || c == Ch('}')) {
            return {};
        }
        if (next == npos) {
            return {};
        }
        // A quantified atom may repeat or vanish: it ends the run and is not part of it.
        size_t after = SkipQuantifier(expression, next);
        if (after == npos) {
            return {};
        }
        if (isLiteral && after == next) {
            run.push_back(literal);
        } else {
            endRun();
        }
        i = after;
    }
    endRun();
    return best;
}

} // namespace regexprefilter
