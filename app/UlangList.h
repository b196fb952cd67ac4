// The texts of the file list's EXIF date column, its marks, the status line and the question
// before Apply would replace capture dates (UTF-8).
#pragma once

extern const char* const kExifColumnText;       // header of the EXIF date column
extern const char* const kExifNoExifText;       // cell: no EXIF block
extern const char* const kExifNoDateText;       // cell: no date tag
extern const char* const kExifPlaceholderText;  // cell: a blank, zero or unreadable date
extern const char* const kTimesDifferTip;       // tool tip of a row whose times differ

extern const char* const kStatusText;           // %d files, %d selected, %d without an EXIF date
extern const char* const kStatusReadingText;    // appended while dates are still being read
extern const char* const kStatusAppliedText;    // %d written, %d not
extern const char* const kStatusAllAppliedText; // %d written

extern const char* const kQuestionOneText;      // one file would lose its capture date
extern const char* const kQuestionManyText;     // %d files would
extern const char* const kQuestionMoreText;     // %d more not listed
extern const char* const kQuestionEndText;
extern const char* const kAnswerFileTimesText;  // button: file times only
extern const char* const kAnswerExifTooText;    // button: EXIF too

extern const char* const kMarkTimeNotWritten;
extern const char* const kMarkLeftAsItWas;
extern const char* const kMarkPartly;
extern const char* const kMarkNoExif;
extern const char* const kMarkTagMissing;       // %s: the tag
extern const char* const kMarkCopyTooShort;     // %s: the tag, %s: where its copy stands
extern const char* const kMarkCopyNotDate;      // the same
extern const char* const kMarkChanged;
extern const char* const kMarkHardLinked;
extern const char* const kMarkTimeNotSettable;
extern const char* const kMarkFlushFailed;
extern const char* const kMarkExifFailed;
extern const char* const kMarkStepRefused;
