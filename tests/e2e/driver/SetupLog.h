// Checks the log that the wizard writes when run without a window (its /log switch).
#pragma once

#include <string>
#include <vector>

namespace driver {

// The log's bytes must be a UTF-8 BOM, then lines (LF or CRLF) of six tab-separated fields:
// local time "YYYY-MM-DD hh:mm:ss.mmm", step, outcome, a Win32 error code (digits, or empty for
// a step that has none), the duration in ms (digits) and the process id (digits, the same as
// the line before's unless the line is a run's "start"). True if they are, and the lines'
// "step:outcome" pairs are exactly expected, in order; else false, saying what is wrong.
bool checkSetupLog(const std::string& bytes, const std::vector<std::wstring>& expected,
                   std::wstring& error);

} // namespace driver
