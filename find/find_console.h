// Where quillon-find writes: standard output and standard error. On a console the text is written as
// UTF-16 through the console itself; to a pipe or a file as UTF-8. Line ends are CR LF.
#pragma once

#include <windows.h>

#include <string_view>

class FindConsole {
public:
    virtual ~FindConsole() = default;
    // Text with LF line ends.
    virtual void Out(std::wstring_view text) = 0;
    virtual void Err(std::wstring_view text) = 0;
    // Progress is shown only to a person watching a console.
    virtual bool ErrIsConsole() const = 0;
};

// The process's standard handles.
class StdConsole : public FindConsole {
public:
    StdConsole();
    void Out(std::wstring_view text) override;
    void Err(std::wstring_view text) override;
    bool ErrIsConsole() const override { return errConsole_; }

private:
    HANDLE out_;
    HANDLE err_;
    bool outConsole_;
    bool errConsole_;
};
