// Sets a flag for a scope and puts the previous value back, also when a handler throws.
#pragma once

#include <utility>

namespace OptionsTree {

class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), previous_(std::exchange(flag, true)) {}
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
    ~FlagScope() { flag_ = previous_; }

private:
    bool& flag_;
    bool previous_;
};

} // namespace OptionsTree
