// The 34 interface texts of the windows (UTF-8).
#pragma once

constexpr int kUiStringCount = 34;
extern const char* const UiStrings[kUiStringCount];

// The help button's reports, when the help page is missing (%s: the path looked for) and when the
// desktop has no program to show it (%s: the page's path).
extern const char* const kHelpMissingText;
extern const char* const kHelpNoViewerText;

// Apply's report when the undo journal cannot be written (the reason follows on a line of its
// own): nothing was changed.
extern const char* const kJournalFailedText;
