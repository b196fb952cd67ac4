// The interface texts of the windows, in UTF-8. Entry 0 takes the two version numbers, entry 21
// the current folder; entry 16 is kept for completeness but shown nowhere.
#include "Ulang.h"

const char* const UiStrings[kUiStringCount] = {
    "Lodrevka %d.%d",                                  // 0: main window caption
    "Soubor",                                          // 1: list column "File"
    "Původní čas",                                     // 2: list column "Original time"
    "Nový čas",                                        // 3: list column "New time"
    "Den",                                             // 4: LabelDay
    "Měsíc",                                           // 5: LabelMonth
    "Rok",                                             // 6: LabelYear
    "Hod.",                                            // 7: LabelHour
    "Min.",                                            // 8: LabelMin
    "Sek.",                                            // 9: LabelSec
    "Složka: ",                                        // 10: LabelFolder at start-up
    "Soubory:",                                        // 11: LabelFileMask
    "Vybrat složku...",                                // 12: ButtonSelectFolder
    "Nastavit čas z EXIF",                             // 13: ButtonTimeFromExif
    "Ukázat EXIF",                                     // 14: ButtonGetExif
    "Zapsat do času souborů",                          // 15: ButtonApply
    "Zapsat do času souborů a EXIF",                   // 16: not used
    "Referenční soubor 1:",                            // 17: ButtonRefFile1
    "Referenční soubor 2:",                            // 18: ButtonRefFile2
    "Změny ještě nebyly uloženy na disk. Chcete skutečně ukončit program?",  // 19: close question
    "Varování",                                        // 20: caption of the warnings
    "Složka: %s",                                      // 21: LabelFolder with the folder
    ("Změny ještě nebyly uloženy na disk. Pokud vyberete jinou složku, budou změny ztraceny. "
     "Chcete-li uložit změny, stiskněte \"Storno\" a poté \"Uložit změny\"."),  // 22: folder switch
    "Informace EXIF nebyla v souboru nalezena.",       // 23: no EXIF block
    "Info",                                            // 24: caption of that notice
    "Složky",                                          // 25: folder chooser caption
    "OK",                                              // 26: folder chooser OK
    "Storno",                                          // 27: folder chooser Cancel
    "Zapsat též do EXIF:",                             // 28: LabelExif
    "Zapíše se do EXIF tagu \"DateTime\"",             // 29: hint of CheckBoxDT
    "Zapíše se do EXIF tagu \"DateTimeOriginal\"",     // 30: hint of CheckBoxDTOriginal
    "Zapíše se do EXIF tagu \"DateTimeDigitized\"",    // 31: hint of CheckBoxDTDigitized
    "Zapíše změněné časy do časů souborů.",            // 32: hint of ButtonApply
    "Tato funkce změní EXIF data uvnitř JPG souborů.", // 33: before the first EXIF write
};

const char* const kHelpMissingText = "Soubor nápovědy %s nebyl nalezen.";
const char* const kHelpNoViewerText =
    "Nápovědu %s nelze otevřít: v systému není nastaven žádný program pro zobrazení stránek HTML.";
const char* const kJournalFailedText = "Záznam pro vrácení změn nelze zapsat, proto nebyl změněn žádný soubor:";
