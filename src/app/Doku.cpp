#include "app/Doku.h"

#include "frame/FrameContext.h"

using namespace Qt::StringLiterals;

namespace vardolin::app {
namespace {

// Continuation lines of an entry start with 24 blanks.
const QString continuation = QString(24, u' ');

QString history()
{
    const QString crlf = u"\r\n"_s;
    return u"V 1.00 25.07.2007 Programm erstellt"_s + crlf
           + u"V 1.01 16.03.2008 Programm angepasst für XP Darstellung"_s + crlf
           + u"V 1.02 28.04.2008 Datum übernehmen der Originaldatei hat nicht funktioniert."_s + crlf + continuation
           + u"Unterverzeichnis anlegen wurde immer 'komp' verwendet."_s + crlf
           + u"V 1.03 12.02.2009 Diverse Fehler bereinigt und Programm überarbeitet"_s + crlf
           + u"V 1.04 01.03.2009 Übernehmen Orginalverzeichnis der Quelldatei eingebaut"_s + crlf
           + u"V 1.05 20.05.2010 Dateinamen/Ordner mit mehreren Punkten wurden nicht verarbeitet"_s + crlf
           + u"V 1.06 17.03.2016 Programm angepasst an Version 5.3 der Entwicklungsumgebung"_s + crlf
           + u"V 1.07 10.05.2023 Programm überarbeitet"_s + crlf;
}

} // namespace

QString z_Doku(const QString& mode)
{
    if (mode == u"V")
        return u"  "_s + frame::kPgmVersion;
    if (mode == u"A")
        return history();
    return {};
}

} // namespace vardolin::app
