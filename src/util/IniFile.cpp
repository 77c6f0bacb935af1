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
        } else if (const qsizetype eq = line.indexOf(u'='); eq > 0) {
            const QString key = trim(line.left(eq));
            if (!key.isEmpty()) {
                ini.groups_.back().lines.push_back(Line{key, trim(line.mid(eq + 1))});
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

void IniFile::setValue(const QString& group, const QString& key, const QString& value)
{
    Group& target = groupFor(group);
    for (Line& line : target.lines) {
        if (!line.key.isEmpty() && sameName(line.key, key)) {
            line.key = trim(key);
            line.value = value;
            return;
        }
    }
    target.lines.push_back(Line{trim(key), value});
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
