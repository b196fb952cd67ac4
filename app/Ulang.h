// The 34 interface texts of the windows (UTF-8).
#pragma once

constexpr int kUiStringCount = 34;
extern const char* const UiStrings[kUiStringCount];
