#include "util/IniFile.h"

#include "util/Files.h"
#include "util/Text.h"

namespace vardolin::util {

namespace {

bool sameName(const QString& a, const QString& b)
{
    return trim(a).compare(trim(b), Qt::CaseInsensitive) == 0;
}

bool isComment(const QString& line)
{
    return line.startsWith(u';') || line.startsWith(u'#');
}

// The value of a "key = value" line: everything after the "=" and the one
// blank the writer puts there, so blanks that belong to the value survive.
QString valueAfter(const QString& line, qsizetype eq)
{
    const qsizetype start = eq + 1 < line.size() && line.at(eq + 1) == u' ' ? eq + 2 : eq + 1;
    return line.mid(start);
}

bool holdsLineBreak(const QString& text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

} // namespace

std::optional<IniFile> IniFile::read(const QString& path)
{
    const auto lines = readTextLines(path);
    if (!lines) {
        return std::nullopt;
    }
    return parse(*lines);
}

IniFile IniFile::parse(const QStringList& lines)
{
    IniFile ini;
    ini.groups_.push_back(Group{});
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            continue;
        }
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            ini.groups_.push_back(Group{trim(line.mid(1, line.size() - 2)), {}});
        } else if (isComment(line)) {
            ini.groups_.back().lines.push_back(Line{QString(), line});
        } else if (const qsizetype eq = raw.indexOf(u'='); eq > 0) {
            const QString key = raw.left(eq).trimmed();
            if (!key.isEmpty()) {
                ini.groups_.back().lines.push_back(Line{key, valueAfter(raw, eq)});
            }
        }
        // Anything else is junk a hand edit left behind; it is dropped.
    }
    return ini;
}

const IniFile::Group* IniFile::findGroup(const QString& name) const
{
    for (const Group& group : groups_) {
        if (sameName(group.name, name)) {
            return &group;
        }
    }
    return nullptr;
}

IniFile::Group& IniFile::groupFor(const QString& name)
{
    for (Group& group : groups_) {
        if (sameName(group.name, name)) {
            group.name = trim(name);
            return group;
        }
    }
    groups_.push_back(Group{trim(name), {}});
    return groups_.back();
}

bool IniFile::contains(const QString& group, const QString& key) const
{
    const Group* found = findGroup(group);
    if (!found) {
        return false;
    }
    for (const Line& line : found->lines) {
        if (!line.key.isEmpty() && sameName(line.key, key)) {
            return true;
        }
    }
    return false;
}

QString IniFile::value(const QString& group, const QString& key, const QString& defaultValue) const
{
    const Group* found = findGroup(group);
    if (!found) {
        return defaultValue;
    }
    for (const Line& line : found->lines) {
        if (!line.key.isEmpty() && sameName(line.key, key)) {
            return line.value;
        }
    }
    return defaultValue;
}

bool IniFile::setValue(const QString& group, const QString& key, const QString& value)
{
    if (holdsLineBreak(group) || holdsLineBreak(key) || holdsLineBreak(value)) {
        return false;
    }
    Group& target = groupFor(group);
    for (Line& line : target.lines) {
        if (!line.key.isEmpty() && sameName(line.key, key)) {
            line.key = trim(key);
            line.value = value;
            return true;
        }
    }
    target.lines.push_back(Line{trim(key), value});
    return true;
}

QByteArray IniFile::toBytes() const
{
    QString text;
    for (const Group& group : groups_) {
        if (group.name.isEmpty() && group.lines.empty()) {
            continue;
        }
        if (!group.name.isEmpty()) {
            text += QStringLiteral("[") + group.name + QStringLiteral("]\r\n");
        }
        for (const Line& line : group.lines) {
            text += line.key.isEmpty() ? line.value : line.key + QStringLiteral(" = ") + line.value;
            text += QStringLiteral("\r\n");
        }
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool IniFile::write(const QString& path) const
{
    return writeFileAtomically(path, toBytes());
}

} // namespace vardolin::util
