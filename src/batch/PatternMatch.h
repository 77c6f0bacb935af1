#pragma once
// The file-name pattern matcher of the source scan: alternatives separated by
// "|", "*" for a run of characters, "?" for exactly one, everything else for
// itself. It works forwards without backtracking: a "*" followed by a literal
// takes the first place after at least one character where the literal
// segment starts, so "*.jpg" matches IMG_1.JPG but neither .jpg nor a.jpg.jpg.

#include <QString>

namespace vardolin::batch {

// Returns 1 when text matches pattern, else 0. With ignoreCase 1 both are
// compared in lower case. An empty or blank pattern, "*" and "*.*" match all.
// A "|" ends the literal segment that follows a "*", so *.jpg|*.png matches
// both kinds.
int s_MatchPattern(const QString& text, const QString& pattern, int ignoreCase);

// A pattern prepared once for matching many names ignoring case, as the
// folder walk does; matches() gives the same answers as s_MatchPattern(text,
// pattern, 1).
class CaseInsensitivePattern {
public:
    explicit CaseInsensitivePattern(const QString& pattern);
    bool matches(const QString& text) const;

private:
    QString lowered_;
    bool matchesEverything_ = false;
};

} // namespace vardolin::batch
