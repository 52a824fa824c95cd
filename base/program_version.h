// The version of a program as its version resource gives it: the About box and quillon-find's --version read
// it from the running module, so what they show is what Explorer and software inventories see.
#pragma once

#include <windows.h>

#include <string>

// The product version of the module's version resource as text: major.minor, with the third and fourth
// numbers only where they are not zero ("2.1", "2.1.3", "2.1.0.7"). Empty when the module has no version
// resource. `module` null means the program itself.
std::wstring ModuleVersionText(HMODULE module = nullptr);
