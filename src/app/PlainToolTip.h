#pragma once
// A tooltip shows its text as markup when it looks like markup; a folder or
// file name never is. This wraps the text so that it shows as typed, on one line.

#include <QString>

namespace vardolin::app {

inline QString plainToolTip(const QString& text)
{
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace vardolin::app
