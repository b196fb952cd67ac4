// The folders a program keeps the user's own files in, and making sure they exist.
#pragma once

#include <string>

// True when the folder exists and the user may create files in it.
bool IsFolderWritable(const char* pszFolder);

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else .config
// in the home folder ($HOME, else the home folder of the user's account). Empty when no home
// folder is known.
std::string UserConfigFolder();
// The user's state folder (histories and other records that outlive a run): $XDG_STATE_HOME
// when it is an absolute path, else .local/state in the home folder. Empty when no home folder
// is known.
std::string UserStateFolder();

// Creates the folder and every missing folder above it, each new one open to the user only.
// True when the folder exists afterwards.
bool CreateFolderPath(const std::string& strFolder);
