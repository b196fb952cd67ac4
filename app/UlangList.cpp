#include "UlangList.h"

const char* const kExifColumnText = "Čas v EXIF";
const char* const kExifNoExifText = "bez EXIF";
const char* const kExifNoDateText = "bez data";
const char* const kExifPlaceholderText = "nevyplněno";
const char* const kTimesDifferTip = "Čas souboru se liší od data v EXIF.";

const char* const kStatusText = "Souborů: %d, vybráno: %d, bez data v EXIF: %d";
const char* const kStatusReadingText = " (čtu EXIF…)";
const char* const kStatusAppliedText = "Zapsáno: %d, nezapsáno: %d (viz označené řádky)";
const char* const kStatusAllAppliedText = "Zapsáno: %d";

const char* const kQuestionOneText =
    "U 1 souboru by zápis do EXIF přepsal datum pořízení časem, který z něj nevychází:";
const char* const kQuestionManyText =
    "U %d souborů by zápis do EXIF přepsal datum pořízení časem, který z něj nevychází:";
const char* const kQuestionMoreText = "… a další (%d)";
const char* const kQuestionEndText =
    "Zapsat u nich jen čas souboru (EXIF zůstane, jak je), nebo i do EXIF?";
const char* const kAnswerFileTimesText = "Jen čas souboru";
const char* const kAnswerExifTooText = "I do EXIF";

const char* const kMarkTimeNotWritten = "Čas souboru se nepodařilo zapsat.";
const char* const kMarkLeftAsItWas = "Soubor zůstal beze změny.";
const char* const kMarkPartly = "EXIF se zapsal jen zčásti.";
const char* const kMarkNoExif = "Soubor nemá EXIF, zapsán jen čas souboru.";
const char* const kMarkTagMissing = "Soubor nemá tag %s.";
const char* const kMarkCopyTooShort = "%s (%s) ponechán: hodnota je kratší než datum.";
const char* const kMarkCopyNotDate = "%s (%s) ponechán: není to text data.";
const char* const kMarkChanged = "Soubor se mezitím změnil.";
const char* const kMarkHardLinked = "Soubor má další pevné odkazy.";
const char* const kMarkTimeNotSettable = "Čas souboru nelze tomuto uživateli nastavit.";
const char* const kMarkFlushFailed = "Zápis EXIF na disk se nepodařilo dokončit.";
const char* const kMarkExifFailed = "EXIF nelze zapsat.";
const char* const kMarkStepRefused = "Takové datum neexistuje, posun se neprovedl.";
