#include "cli/EngineReasons.h"

#include "cli/Rewording.h"

#include <array>

namespace vardolin::cli {

namespace {

// The engine's texts. "head: rest" needs no row of its own: each side is
// found alone ("JPEG error" and the library's message after it).
constexpr std::array kEngineTexts{
    // Reading a file
    Rewording{u"not a picture file this program can read", u"keine Bilddatei, die dieses Programm lesen kann"},
    Rewording{u"cannot read file", u"die Datei kann nicht gelesen werden"},
    Rewording{u"cannot open file", u"die Datei kann nicht geöffnet werden"},
    Rewording{u"short read", u"zu wenig gelesen"},
    Rewording{u"file is shorter than its size", u"die Datei ist kürzer als ihre Größe"},
    Rewording{u"picture has no pixels", u"das Bild hat keine Pixel"},
    Rewording{u"the picture has no pixels", u"das Bild hat keine Pixel"},
    Rewording{u"picture too large", u"das Bild ist zu groß"},
    Rewording{u"{} x {} pixels", u"{} x {} Pixel"},
    Rewording{u"{} samples of {} bits per pixel", u"{} Kanäle zu {} Bit je Pixel"},
    Rewording{u"out of memory", u"zu wenig Arbeitsspeicher"},
    // Scaling and writing
    Rewording{u"an icon cannot be scaled", u"ein Symbol kann nicht skaliert werden"},
    Rewording{u"an icon cannot be saved", u"ein Symbol kann nicht gespeichert werden"},
    Rewording{u"no file name given", u"kein Dateiname angegeben"},
    Rewording{u"no encoder writes this format", u"kein Kodierer schreibt dieses Format"},
    Rewording{u"cannot write {} bits per pixel in this format",
              u"{} Bit je Pixel sind in diesem Format nicht schreibbar"},
    Rewording{u"cannot create the file", u"die Datei kann nicht angelegt werden"},
    Rewording{u"something of its name exists", u"unter ihrem Namen steht schon etwas"},
    Rewording{u"writing the file failed", u"das Schreiben der Datei ist fehlgeschlagen"},
    Rewording{u"the file would be larger than 4 GB", u"die Datei würde größer als 4 GB"},
    Rewording{u"the picture is too large for a BMP file", u"das Bild ist zu groß für eine BMP-Datei"},
    Rewording{u"BMP cannot be written at {} bits per pixel", u"BMP kann nicht mit {} Bit je Pixel geschrieben werden"},
    Rewording{u"PNG cannot be written at {} bits per pixel", u"PNG kann nicht mit {} Bit je Pixel geschrieben werden"},
    Rewording{u"WebP cannot be written at {} bits per pixel",
              u"WebP kann nicht mit {} Bit je Pixel geschrieben werden"},
    Rewording{u"JPEG takes 24-bit rows only", u"JPEG nimmt nur Zeilen zu 24 Bit"},
    Rewording{u"a side is longer than WebP allows (16383 pixels)",
              u"eine Seite ist länger, als WebP erlaubt (16383 Pixel)"},
    Rewording{u"encoding failed ({})", u"das Kodieren ist fehlgeschlagen ({})"},
    // Library prefixes; the library's own message follows
    Rewording{u"JPEG error", u"JPEG-Fehler"},
    Rewording{u"PNG error", u"PNG-Fehler"},
    Rewording{u"TIFF error", u"TIFF-Fehler"},
    Rewording{u"HEIF error", u"HEIF-Fehler"},
    Rewording{u"WebP error", u"WebP-Fehler"},
    Rewording{u"JPEG encoder", u"JPEG-Kodierer"},
    Rewording{u"PNG encoder", u"PNG-Kodierer"},
    Rewording{u"WebP encoder", u"WebP-Kodierer"},
    Rewording{u"{} more warnings", u"{} weitere Warnungen"},
    // BMP
    Rewording{u"truncated BMP header", u"der BMP-Kopf ist abgeschnitten"},
    Rewording{u"unsupported BMP header size {}", u"die BMP-Kopfgröße {} wird nicht unterstützt"},
    Rewording{u"unsupported BMP compression {}", u"die BMP-Kompression {} wird nicht unterstützt"},
    Rewording{u"unsupported BMP bit count {}", u"die BMP-Bitzahl {} wird nicht unterstützt"},
    Rewording{u"BMP bit-field mask is not contiguous", u"eine BMP-Bitfeldmaske ist nicht zusammenhängend"},
    Rewording{u"BMP bit fields with {} bits per pixel", u"BMP-Bitfelder bei {} Bit je Pixel"},
    Rewording{u"truncated BMP bit-field masks", u"die BMP-Bitfeldmasken sind abgeschnitten"},
    Rewording{u"BMP colour table missing", u"die BMP-Farbtabelle fehlt"},
    Rewording{u"BMP run-length data with wrong bit count", u"BMP-Lauflängendaten mit falscher Bitzahl"},
    Rewording{u"top-down BMP with run-length data", u"von oben nach unten gespeicherte BMP mit Lauflängendaten"},
    Rewording{u"BMP without pixels", u"BMP ohne Pixel"},
    Rewording{u"BMP pixel data offset past the end of the file", u"die BMP-Pixeldaten beginnen hinter dem Dateiende"},
    Rewording{u"truncated BMP pixel data", u"die BMP-Pixeldaten sind abgeschnitten"},
    Rewording{u"BMP colour index past the colour table", u"ein BMP-Farbindex zeigt hinter die Farbtabelle"},
    Rewording{u"BMP run-length data overruns its rows", u"die BMP-Lauflängendaten laufen über ihre Zeilen hinaus"},
    Rewording{u"BMP run-length move past the picture", u"ein BMP-Lauflängensprung führt aus dem Bild"},
    Rewording{u"truncated BMP run-length data", u"die BMP-Lauflängendaten sind abgeschnitten"},
    Rewording{u"BMP profile data outside the file", u"die BMP-Profildaten liegen außerhalb der Datei"},
    // JPEG, PNG, TIFF, WebP, HEIF
    Rewording{u"JPEG file with an unknown colour space", u"JPEG-Datei mit unbekanntem Farbraum"},
    Rewording{u"JPEG file with more than 500 scans", u"JPEG-Datei mit mehr als 500 Scans"},
    Rewording{u"PNG layout this program cannot read", u"ein PNG-Aufbau, den dieses Programm nicht lesen kann"},
    Rewording{u"cannot set up the PNG reader", u"der PNG-Leser kann nicht eingerichtet werden"},
    Rewording{u"cannot start the PNG encoder", u"der PNG-Kodierer kann nicht gestartet werden"},
    Rewording{u"truncated PNG data", u"die PNG-Daten sind abgeschnitten"},
    Rewording{u"unsupported TIFF compression {}", u"die TIFF-Kompression {} wird nicht unterstützt"},
    Rewording{u"cannot read the TIFF raster", u"das TIFF-Raster kann nicht gelesen werden"},
    Rewording{u"cannot open the TIFF file", u"die TIFF-Datei kann nicht geöffnet werden"},
    Rewording{u"the picture could not be read whole", u"das Bild konnte nicht ganz gelesen werden"},
    Rewording{u"WebP decoder of another version", u"WebP-Dekodierer einer anderen Version"},
    Rewording{u"WebP encoder of another version", u"WebP-Kodierer einer anderen Version"},
    Rewording{u"damaged animation", u"beschädigte Animation"},
    Rewording{u"the first frame cannot be decoded", u"das erste Einzelbild kann nicht dekodiert werden"},
    Rewording{u"invalid parameter", u"ungültiger Parameter"},
    Rewording{u"damaged bitstream", u"beschädigter Bitstrom"},
    Rewording{u"unsupported feature", u"nicht unterstützte Eigenschaft"},
    Rewording{u"file cut short", u"die Datei ist abgeschnitten"},
    Rewording{u"decoding failed", u"das Dekodieren ist fehlgeschlagen"},
    Rewording{u"the WebP colour profile chunk is missing or damaged",
              u"der Farbprofil-Block der WebP-Datei fehlt oder ist beschädigt"},
    Rewording{u"HEIF image without pixels", u"HEIF-Bild ohne Pixel"},
    Rewording{u"HEIF picture derived from itself", u"ein HEIF-Bild, das aus sich selbst abgeleitet ist"},
    Rewording{u"HEIF picture derived from an item that is no picture",
              u"ein HEIF-Bild, das aus einem Element abgeleitet ist, das kein Bild ist"},
    Rewording{u"HEIF item locations with extent indexes in a version 1 table",
              u"HEIF-Elementorte mit Extent-Indizes in einer Tabelle der Version 1"},
    Rewording{u"HEIF canvas {} x {} is not the stated size {} x {}",
              u"die HEIF-Leinwand {} x {} hat nicht die angegebene Größe {} x {}"},
    Rewording{u"the HEIF colour profile cannot be read", u"das HEIF-Farbprofil kann nicht gelesen werden"},
    // Icons
    Rewording{u"not an icon directory", u"kein Symbolverzeichnis"},
    Rewording{u"icon directory cut short", u"das Symbolverzeichnis ist abgeschnitten"},
    Rewording{u"icon directory without images", u"Symbolverzeichnis ohne Bilder"},
    Rewording{u"icon image outside the file", u"ein Symbolbild liegt außerhalb der Datei"},
    Rewording{u"icon image with an unusable PNG header", u"Symbolbild mit unbrauchbarem PNG-Kopf"},
    Rewording{u"icon image with an unusable bitmap header", u"Symbolbild mit unbrauchbarem Bitmap-Kopf"},
    Rewording{u"icon image with an unusable size", u"Symbolbild mit unbrauchbarer Größe"},
    Rewording{u"icon image of {} bits per pixel", u"Symbolbild mit {} Bit je Pixel"},
    // Colour profiles
    Rewording{u"not an ICC profile", u"kein ICC-Profil"},
    Rewording{u"not a readable ICC profile", u"kein lesbares ICC-Profil"},
    Rewording{u"ICC profile of {} bytes, shorter than its header", u"ICC-Profil von {} Bytes, kürzer als sein Kopf"},
    Rewording{u"ICC profile cut short", u"das ICC-Profil ist abgeschnitten"},
    Rewording{u"{} of {} bytes", u"{} von {} Bytes"},
    Rewording{u"ICC profile chunks disagree on their number",
              u"die Stücke des ICC-Profils nennen verschiedene Anzahlen"},
    Rewording{u"ICC profile chunk {} of {} is missing", u"Stück {} von {} des ICC-Profils fehlt"},
    Rewording{u"ICC profile chunk {} appears twice", u"Stück {} des ICC-Profils kommt doppelt vor"},
    Rewording{u"ICC profile chunk {} of {}", u"Stück {} von {} des ICC-Profils"},
    Rewording{u"the colour library could not be set up", u"die Farbbibliothek konnte nicht eingerichtet werden"},
    Rewording{u"the profile cannot be converted to sRGB with alpha",
              u"das Profil kann mit Alphakanal nicht nach sRGB umgerechnet werden"},
    Rewording{u"the profile cannot be converted to sRGB", u"das Profil kann nicht nach sRGB umgerechnet werden"},
    Rewording{u"the profile asks for a table of {} MB, more than its {} bytes can hold",
              u"das Profil verlangt eine Tabelle von {} MB, mehr als seine {} Bytes fassen"},
    Rewording{u"colour code points for gray or CMYK pixels", u"Farbkennzahlen für graue oder CMYK-Pixel"},
    Rewording{u"a profile for {} colours on {} pixels", u"ein Profil für {}-Farben auf {}-Pixeln"},
    Rewording{u"gray", u"Grau"},
    Rewording{u"other", u"andere"},
    Rewording{u"a link, abstract or named-colour profile, not one of a picture's colours",
              u"ein Verknüpfungs-, abstraktes oder Namensfarbprofil, keines der Farben eines Bildes"},
    Rewording{u"the CMYK profile was not applied to this file's pixels",
              u"das CMYK-Profil wurde nicht auf die Pixel dieser Datei angewandt"},
    Rewording{u"no profile for CMYK pixels", u"kein Profil für CMYK-Pixel"},
    Rewording{u"not a CMYK profile", u"kein CMYK-Profil"},
    Rewording{u"not a matrix-shaper profile", u"kein Matrix-Profil"},
    Rewording{u"a colorant tag is missing", u"eine Farbmittel-Angabe fehlt"},
    Rewording{u"the colorants cannot be inverted", u"die Farbmittel lassen sich nicht umkehren"},
    Rewording{u"a tone curve is missing", u"eine Tonkurve fehlt"},
    Rewording{u"a tone curve gives no finite numbers", u"eine Tonkurve ergibt keine endlichen Zahlen"},
    Rewording{u"the matrix gives no finite numbers", u"die Matrix ergibt keine endlichen Zahlen"},
    Rewording{u"black is not black", u"Schwarz ist nicht schwarz"},
    Rewording{u"left to the library's compensation", u"der Ausgleich der Bibliothek bleibt"},
    Rewording{u"colour primaries {} are not supported", u"die Primärfarben {} werden nicht unterstützt"},
    Rewording{u"HDR transfer curve {} (PQ or HLG) is not converted",
              u"die HDR-Übertragungskurve {} (PQ oder HLG) wird nicht umgerechnet"},
    Rewording{u"transfer curve {} is not supported", u"die Übertragungskurve {} wird nicht unterstützt"},
    Rewording{u"cannot build the transfer curve", u"die Übertragungskurve kann nicht gebildet werden"},
    Rewording{u"cannot build a profile for colour primaries {}",
              u"für die Primärfarben {} kann kein Profil gebildet werden"},
};

} // namespace

QString engineReasonIn(const QString& reason, util::Language language)
{
    if (language == util::Language::English)
        return reason;
    static const RewordingTable table(kEngineTexts);
    return table.german(reason);
}

} // namespace vardolin::cli
