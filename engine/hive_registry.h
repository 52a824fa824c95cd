// Hive files searched as the registry: each file read is mounted under HKEY_LOCAL_MACHINE\<name>, the way
// the registry editor loads a hive, and kHiveRegistry answers the walker's registry calls from the mounted
// files as advapi32 answers them from the live registry (same error codes, same size rules). Nothing is
// ever written, to the file or to the registry.
//
// The keys kHiveRegistry hands out are small heap objects that carry their hive; closeKey frees them. Keys
// outside a mounted hive do not exist for it (ERROR_FILE_NOT_FOUND); HKEY_LOCAL_MACHINE itself lists the
// mounted hives as its sub-keys.
//
// Threads: mounting, unmounting and the table's functions may be called from any thread. A key opened
// keeps its hive readable even when the hive is unmounted meanwhile.
#pragma once

#include "engine/registry_api.h"

#include <windows.h>

#include <string>
#include <vector>

extern const RegistryApi kHiveRegistry;

// Reads the hive file at path and mounts it as name. False, with a text saying what is wrong, when the file
// cannot be read, is no hive, or the name is taken or unusable. warnings receives what the reader noticed
// without finding damage (a hive not cleanly closed).
//
// With a previous name (which may be name itself), the new hive takes the place of the one mounted as
// previous, in one step once the file has been read: when it is refused, previous stays mounted and
// everything read from it still works.
bool MountHive(const std::wstring& name, const std::wstring& path, std::wstring& error,
               std::vector<std::wstring>& warnings, const std::wstring& previous = {});
void UnmountHive(const std::wstring& name);

// Damage found in a mounted hive so far, when it was read and while it was searched: the count of all
// problems and the texts of the first few. 0 for a name not mounted.
size_t HiveProblems(const std::wstring& name, std::vector<std::wstring>& texts);

// The name a hive file is mounted under when none is given: the file's name without its folder.
std::wstring DefaultHiveName(const std::wstring& path);
