// The files a command works on: the paths given, and with -r every file in the folders given
// and their subfolders (names beginning with "." are passed over; a folder reached twice
// through links is walked once). What cannot be worked on is named on standard error: a
// missing path, a folder given without -r, a pipe or a device.
#pragma once

#include <string>
#include <vector>

// False when any path was refused; the files found are in files either way, in the order given
// and, inside a folder, in name order, each file once.
bool CollectFiles(char** argv, int nArgs, bool bRecursive, std::vector<std::string>& files);
