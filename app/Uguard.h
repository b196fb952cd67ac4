// The standard exception display: every event handler runs inside Guarded, so an exception that
// escapes it is shown in a message box and the program goes on; nothing is thrown through Qt.
#pragma once

#include <exception>

class QWidget;

// The application's title (taskbar text and the caption of the exception display).
constexpr const char* kApplicationTitle = "Tirnavex";

// Gives the application its title without adding it to any window's caption: a display name set
// in Qt is appended to every caption on X11 ("Lodrevka 1.22 — Tirnavex"), the name is not.
void SetApplicationTitle();

// The message with a closing full stop added when it has none, caption "Tirnavex", OK button,
// error icon.
void ShowStandardException(QWidget* pOwner, const char* pszMessage);

template <class Handler>
void Guarded(QWidget* pOwner, Handler&& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& e) {
        ShowStandardException(pOwner, e.what());
    } catch (...) {
        ShowStandardException(pOwner, "Unknown error");
    }
}
