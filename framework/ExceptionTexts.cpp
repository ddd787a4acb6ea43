#include "framework/ExceptionTexts.h"

namespace {

// Indexed by CFileException's causes.
const char* const kFileTexts[] = {
    "No error occurred while accessing %1.",                                   // none
    "An unexpected error occurred while accessing %1.",                        // genericException
    "%1 was not found.",                                                       // fileNotFound
    "%1 contains an invalid path.",                                            // badPath
    "%1 could not be opened because there are too many open files.",          // tooManyOpenFiles
    "Access to %1 was denied.",                                                // accessDenied
    "An invalid file handle was associated with %1.",                          // invalidFile
    "%1 could not be removed because it is the current directory.",           // removeCurrentDir
    "%1 could not be created because the directory is full.",                 // directoryFull
    "Seek failed on %1.",                                                      // badSeek
    "A hardware I/O error was reported while accessing %1.",                   // hardIO
    "A sharing violation occurred while accessing %1.",                        // sharingViolation
    "A locking violation occurred while accessing %1.",                        // lockViolation
    "Disk full while accessing %1.",                                           // diskFull
    "An attempt was made to access %1 past its end.",                          // endOfFile
};

// Indexed by CArchiveException's causes. The bad-schema text must start with the
// name: callers hand in a sentence fragment in its place that the text completes.
const char* const kArchiveTexts[] = {
    "No error occurred while reading or writing %1.",                          // none
    "An unexpected error occurred while reading or writing %1.",               // genericException
    "An attempt was made to write to %1 while it was open for reading.",       // readOnly
    "An attempt was made to read past the end of %1.",                         // endOfFile
    "An attempt was made to read from %1 while it was open for writing.",      // writeOnly
    "%1 has an invalid format.",                                               // badIndex
    "%1 contains an unexpected object.",                                       // badClass
    "%1 contains an incorrect schema.",                                        // badSchema
};

CString Substitute(const char* pattern, const char* fileName)
{
    CString text(pattern);
    text.Replace("%1", (fileName != nullptr && *fileName != '\0') ? fileName : "an unnamed file");
    return text;
}

} // namespace

CString FormatFileExceptionText(int cause, const char* fileName)
{
    const int count = static_cast<int>(sizeof(kFileTexts) / sizeof(kFileTexts[0]));
    return Substitute(kFileTexts[(cause >= 0 && cause < count) ? cause : 1], fileName);
}

CString FormatArchiveExceptionText(int cause, const char* fileName)
{
    const int count = static_cast<int>(sizeof(kArchiveTexts) / sizeof(kArchiveTexts[0]));
    return Substitute(kArchiveTexts[(cause >= 0 && cause < count) ? cause : 1], fileName);
}
