#pragma once
// Texts made in English by others (the picture engine, the libraries it
// quotes, Qt's option parser) said in German, by a table of their forms.

#include <QRegularExpression>
#include <QString>

#include <span>
#include <vector>

namespace vardolin::cli {

// One form: "{}" stands for a part that is carried over (a number, a name),
// itself reworded when it is one of the table's texts.
struct Rewording {
    const char16_t* english;
    const char16_t* german;
};

class RewordingTable {
public:
    explicit RewordingTable(std::span<const Rewording> rows);

    // The German form of text: by the first row whose English form matches
    // it whole; else, for "head: rest", each side reworded on its own (so a
    // prefix of the engine and the reason after it are both found); else the
    // text as it is.
    QString german(const QString& text) const;

private:
    struct Row {
        QRegularExpression english;
        QString german;
    };
    std::vector<Row> rows_;
};

} // namespace vardolin::cli
