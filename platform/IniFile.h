// Reading INI files as the platform's private-profile functions read them (the Windows build
// calls GetPrivateProfileSectionW and GetPrivateProfileStringW).
//
// Section and key names match without regard to case. A file is UTF-16LE with a byte-order
// mark, or text in the machine's ANSI code page.
#pragma once

#include "platform/Text.h"

// The lines of `section` in `file`, as a packed list in `buffer`: each line one NUL-terminated
// string (a "key=value" line as it stands), the list closed by one more NUL. Returns the number
// of characters, every line's NUL counted but not the closing one. A list that does not fit
// `capacity` is cut and the count is then exactly capacity - 2. A missing file or section
// gives 0 and an empty list.
unsigned long IniReadSection(const WChar* section, WChar* buffer, unsigned long capacity,
                             const WChar* file);

// The value of `key` in `section` of `file`, or `defaultValue` (null: the empty text) when the
// file, the section or the key is missing. Returns the number of characters written, the NUL
// not counted; a value that does not fit is cut to capacity - 1 characters and that is the count.
unsigned long IniReadString(const WChar* section, const WChar* key, const WChar* defaultValue,
                            WChar* buffer, unsigned long capacity, const WChar* file);
