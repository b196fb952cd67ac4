// The 34 interface texts of the windows (UTF-8).
#pragma once

constexpr int kUiStringCount = 34;
extern const char* const UiStrings[kUiStringCount];

// The help button's reports, when the help page is missing (%s: the path looked for) and when the
// desktop has no program to show it (%s: the page's path).
extern const char* const kHelpMissingText;
extern const char* const kHelpNoViewerText;
