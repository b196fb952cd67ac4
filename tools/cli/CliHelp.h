// The help texts: the overview, and each command's own.
#pragma once

extern const char kUsage[];
// The help of one command; nullptr for a name that is no command.
const char* CommandHelp(const char* pszCommand);
