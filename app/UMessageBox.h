// Every message box of the program goes through ShowMessageBox, so that tests can answer them
// through the hook instead of a person.
#pragma once

class QWidget;

// FileTimesExifCancel: the question before Apply would replace capture dates in EXIF, with
// "file times only" (the default), "EXIF too" and Cancel.
enum class MsgButtons { Ok, OkCancel, FileTimesExifCancel };
enum class MsgIcon { None, Information, Exclamation, Error };

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDFILETIMESONLY = 10;
constexpr int IDEXIFTOO = 11;

// Shows a modal message box owned by pOwner; returns IDOK or IDCANCEL (a box closed without a
// choice counts as IDCANCEL, or IDOK when OK is its only button), or for FileTimesExifCancel
// IDFILETIMESONLY, IDEXIFTOO or IDCANCEL.
int ShowMessageBox(QWidget* pOwner, const char* pszText, const char* pszCaption, MsgButtons buttons,
                   MsgIcon icon);

// When set, ShowMessageBox shows nothing and returns what the hook returns.
using MessageBoxHook = int (*)(QWidget* pOwner, const char* pszText, const char* pszCaption,
                               MsgButtons buttons, MsgIcon icon);
extern MessageBoxHook g_pfnMessageBoxHook;
