// The standard exception display: every event handler runs inside Guarded, so an exception that
// escapes it is shown in a message box and the program goes on; nothing is thrown through Qt.
#pragma once

#include <exception>

class QWidget;

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
