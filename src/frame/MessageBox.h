#pragma once
// The one way the program tells the user something. The window installs a
// presenter that shows a real message box; until then, and in programs without
// a window, messages go to standard error. Tests install a recorder.

#include <QString>

#include <functional>

namespace vardolin::frame {

using MessagePresenter = std::function<int(const QString& title, const QString& text, int flags)>;

// Replaces the presenter; an empty function restores the standard-error one.
void setMessagePresenter(MessagePresenter presenter);

// Backslash, "n", blank becomes CR LF; then backslash, apostrophe, blank
// becomes a double quote. Nothing else changes.
QString convertMessageText(const QString& text);

// Shows the converted text under the title and returns the presenter's button
// code.
int yInfoBox(const QString& title, const QString& text, int flags);

} // namespace vardolin::frame
