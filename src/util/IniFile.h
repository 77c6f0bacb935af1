#pragma once
// A small ini file: groups in square brackets holding "key = value" lines.
// Group and key names are compared without regard to case and with blanks
// around them removed; a value is everything after "= " up to the line end,
// its own blanks included. Reading tolerates a byte-order mark or none, CR LF or LF
// line ends, blank lines and lines that are neither group nor key. Groups, keys
// and comment lines that the program does not know are kept, so writing the
// file back preserves them.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vardolin::util {

class IniFile {
public:
    // The file's content; nothing when it cannot be opened.
    static std::optional<IniFile> read(const QString& path);
    static IniFile parse(const QStringList& lines);

    bool contains(const QString& group, const QString& key) const;
    // The value stored under the key, exactly as it stands after "= "; the
    // default when the group or the key is missing.
    QString value(const QString& group, const QString& key, const QString& defaultValue = QString()) const;
    // Replaces the value of an existing key in place, or adds the key at the end
    // of its group (the group at the end of the file when it is new). Group and
    // key take the spelling given here. A text holding a line break would end
    // its line early and turn the rest into a line of its own, so such a value
    // is refused: false, and the file's content stays as it was.
    bool setValue(const QString& group, const QString& key, const QString& value);

    // UTF-8 with byte-order mark, "[Group]" and "key = value" lines, CR LF.
    QByteArray toBytes() const;
    // Writes to a temporary file beside the target and renames it into place
    // (in place when the folder takes no new file, see writeFileAtomically).
    bool write(const QString& path) const;

private:
    struct Line {
        QString key;   // empty for a kept comment line
        QString value; // the comment's text for a comment line
    };
    struct Group {
        QString name; // empty for lines before the first group
        std::vector<Line> lines;
    };

    const Group* findGroup(const QString& name) const;
    Group& groupFor(const QString& name);

    std::vector<Group> groups_;
};

} // namespace vardolin::util
