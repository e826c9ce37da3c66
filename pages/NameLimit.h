// The check a page makes before it stores a chosen name: the later steps copy names into
// buffers of kWorkingNameCapacity, so a longer name would reach them cut short.
#pragma once

#include "platform/Framework.h"

// True when `name` fits the later steps. Otherwise tells the user why the wizard cannot go
// on (`text`, in an "ERROR" box owned by the page) and returns false.
bool NameFitsInstallation(CPropertyPage& page, const WString& name, const WChar* text);

extern const WChar kDriverNameTooLongText[];
extern const WChar kPortNameTooLongText[];
