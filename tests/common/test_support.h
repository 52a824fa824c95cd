// Helpers shared by the test programs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// Deletes HKCU\Software\Orvanta\Quillon, giving the test a fresh user profile.
void ResetProgramKey();

// Deletes and re-creates HKCU\<path> and returns it open for all access (closed by the caller).
HKEY FreshKey(const std::wstring& path);
void DeleteKey(const std::wstring& path);

// Dispatches this thread's messages until done() holds or the timeout passes; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// Whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Runs the system's reg.exe with the arguments and returns its exit code (STILL_ACTIVE after a minute).
DWORD RunReg(const std::wstring& arguments);

} // namespace testsupport
