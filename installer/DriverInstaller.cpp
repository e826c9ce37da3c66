// The installer record: package paths found from the executable's folder, and the accessors.
#include "installer/DriverInstaller.h"

#include "platform/ModulePath.h"
#include "platform/Spooler.h"

namespace {
const WChar kPrinterInfoFileName[] = WTEXT("PrinterInfor.Inf");
const WChar kDriverFolder[] = WTEXT("PrinterDriver\\");
const WChar kDriverInfFileName[] = WTEXT("OEMPRINTCOMP.INF");
const WChar kLanguageFileName[] = WTEXT("Language.inf");
const WChar kDefaultLanguage[] = WTEXT("English");
const WChar kPathSeparator = WTEXT('\\');

// Stores 1 only for exactly 1, so a flag is always 0 or 1.
int ToFlag(int value) {
    return value == 1 ? 1 : 0;
}
} // namespace

CDriverInstaller::CDriverInstaller() {
    ClearText(m_szModuleDir, kPathCapacity);
    ClearText(m_szPrinterInfoFile, kPathCapacity);
    ClearText(m_szDriverInf, kPathCapacity);
    ClearText(m_szLanguageFile, kPathCapacity);
    ClearText(m_szDriverName, kNameCapacity);
    ClearText(m_szPortName, kNameCapacity);
    ClearText(m_szLanguage, kLanguageCapacity);
    CopyText(m_szLanguage, kLanguageCapacity, kDefaultLanguage);
    m_bSetDefault = 0;
    m_bPrintTestPage = 0;
    m_bPackagePathsFit = 0;
    m_bQuiet = 0;
    m_bRestartNeeded = 0;
    m_pStepListener = nullptr;
    FindModuleDir();
    BuildPrinterInfoFilePath();
    BuildDriverInfPath();
    BuildLanguageFilePath();
}

void CDriverInstaller::FindModuleDir() {
    WChar path[kPathCapacity] = {};
    ClearText(m_szModuleDir, kPathCapacity);
    m_bPackagePathsFit = 0;
    if (!GetModulePath(path, kPathCapacity)) {
        return;
    }
    // Cut the file name off, keeping the folder's trailing backslash.
    std::size_t end = TextLength(path, kPathCapacity);
    while (end > 0 && path[end - 1] != kPathSeparator) {
        --end;
    }
    if (end == 0 || end > kMaxModuleDirLength) {
        return;
    }
    path[end] = 0;
    CopyText(m_szModuleDir, kPathCapacity, path);
    m_bPackagePathsFit = 1;
}

void CDriverInstaller::BuildPackagePath(WChar* dest, const WChar* first, const WChar* second) {
    ClearText(dest, kPathCapacity);
    if (!HasPackagePaths()) {
        return;
    }
    CopyText(dest, kPathCapacity, m_szModuleDir);
    AppendText(dest, kPathCapacity, first);
    AppendText(dest, kPathCapacity, second);
}

void CDriverInstaller::BuildPrinterInfoFilePath() {
    BuildPackagePath(m_szPrinterInfoFile, kPrinterInfoFileName, WTEXT(""));
}

void CDriverInstaller::BuildDriverInfPath() {
    BuildPackagePath(m_szDriverInf, kDriverFolder, kDriverInfFileName);
}

void CDriverInstaller::BuildLanguageFilePath() {
    BuildPackagePath(m_szLanguageFile, kLanguageFileName, WTEXT(""));
}

void CDriverInstaller::SetDriverName(const WChar* name) {
    CopyText(m_szDriverName, kNameCapacity, name);
    // Another model's settings are not this one's to carry.
    const WString chosen = m_szDriverName;
    if (m_bSettingsRead && !SpoolerNamesEqual(chosen, m_strSettingsOf)) {
        m_bSettingsRead = false;
        m_savedSettings.reset();
        m_bOldWasDefault = 0;
    }
}

void CDriverInstaller::GetDriverName(WChar* dest, std::size_t capacity) const {
    CopyText(dest, capacity, m_szDriverName);
}

void CDriverInstaller::SetPortName(const WChar* name) {
    CopyText(m_szPortName, kNameCapacity, name);
}

void CDriverInstaller::GetPortName(WChar* dest, std::size_t capacity) const {
    CopyText(dest, capacity, m_szPortName);
}

void CDriverInstaller::SetDefaultFlag(int value) {
    m_bSetDefault = ToFlag(value);
}

void CDriverInstaller::SetTestPageFlag(int value) {
    m_bPrintTestPage = ToFlag(value);
}

void CDriverInstaller::SetQuietFlag(int value) {
    m_bQuiet = ToFlag(value);
}
