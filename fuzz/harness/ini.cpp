// The shared ini reader over arbitrary bytes: read through the file path as
// the program does, look keys up, change one, write the text and read it back.

#include "ScratchFile.h"
#include "util/IniFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdlib>

using vardolin::util::IniFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const vardolin::fuzz::ScratchFile scratch(".ini");
    if (!scratch.write(data, size))
        return 0;
    const QString path = QString::fromStdString(scratch.path().string());
    std::optional<IniFile> ini = IniFile::read(path);
    if (!ini)
        std::abort(); // the file is there: reading must give its content

    (void)ini->value(QStringLiteral("Einstellungen"), QStringLiteral("Sprache"));
    (void)ini->contains(QStringLiteral("debug"), QStringLiteral("debug"));

    // A value set must survive writing and reading back, whatever else the
    // file held.
    // The bytes go through the scratch file rather than write(), whose
    // flush to disk would slow every run down a hundredfold.
    ini->setValue(QStringLiteral("Zzfuzz"), QStringLiteral("Wert"), QStringLiteral("42"));
    const QByteArray bytes = ini->toBytes();
    if (!scratch.write(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())))
        return 0;
    const std::optional<IniFile> reread = IniFile::read(path);
    if (!reread || reread->value(QStringLiteral("Zzfuzz"), QStringLiteral("Wert")) != QStringLiteral("42"))
        std::abort();
    return 0;
}
