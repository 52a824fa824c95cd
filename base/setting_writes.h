// Failed writes of the program's own registry settings (histories, form state, preferences), gathered while
// a group of them is saved, so that the user is told once how many did not reach the registry.
#pragma once

#include <string>
#include <vector>

class SettingWriteFailures {
public:
    // Notes `what` (a value or key below the program key) as not written when `written` is false; returns
    // `written`.
    bool Check(bool written, const std::wstring& what);
    size_t Count() const { return items_.size(); }
    const std::vector<std::wstring>& Items() const { return items_; }
    void Add(const SettingWriteFailures& other);

    // Appends one line per failure to the program log and returns the text for the user: how many settings
    // were not saved and where the log lies. Empty when nothing failed.
    std::wstring Report() const;

private:
    std::vector<std::wstring> items_;
};
