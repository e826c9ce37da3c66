// Turns the Unix paths that ctest and the tools pass under Wine into Windows paths.
#pragma once

#include <string>

namespace driver {

// Under Wine, ctest hands us Unix paths ("/tmp/..."): map them to DOS paths the way Wine
// itself does. Everything is then made absolute; a Windows path only gets that.
std::wstring toWindowsPath(const std::wstring& path);

} // namespace driver
