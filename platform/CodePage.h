// Widening the few 8-bit texts the installer meets: the driver INF's hardware ids and the
// printer's device ID.
#pragma once

#include <string_view>

#include "platform/Text.h"

// `bytes` as wide text, read in the calling thread's ANSI code page (CP_THREAD_ACP).
WString WidenWithThreadCodePage(std::string_view bytes);
