// The installer's one shared record: where the setup package lies, the user's choices, and
// the operations that work on them.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/Process.h"
#include "platform/Spooler.h"
#include "platform/Text.h"

class ISetupListener;
enum class StepOutcome;

// A list of names, owned by the caller; the readers and queries only append to it.
using NameList = std::vector<WString>;

// Capacities in characters, the terminating NUL included.
constexpr std::size_t kPathCapacity = 260;
constexpr std::size_t kNameCapacity = 200;
constexpr std::size_t kLanguageCapacity = 20;
// The pages and the removal step work on copies of the names in buffers of this capacity, so
// a name must be shorter than this to pass through the whole installation.
constexpr std::size_t kWorkingNameCapacity = 100;

// The 8-bit hardware id buffer of the plug-and-play update, terminator included.
constexpr std::size_t kHardwareIdCapacity = 1024;

// Longest package folder (trailing backslash included) whose longest package path,
// folder + "PrinterDriver\OEMPRINTCOMP.INF", still fits a path buffer.
constexpr std::size_t kMaxModuleDirLength = 229;

class CDriverInstaller {
public:
    CDriverInstaller();

    void FindModuleDir();
    void BuildPrinterInfoFilePath();
    void BuildDriverInfPath();
    void BuildLanguageFilePath();

    // False when the executable's folder is too long for the package paths (or could not be
    // found): the paths are then empty and nothing may run on them.
    bool HasPackagePaths() const { return m_bPackagePathsFit != 0; }

    void SetDriverName(const WChar* name);
    void GetDriverName(WChar* dest, std::size_t capacity) const;
    void SetPortName(const WChar* name);
    void GetPortName(WChar* dest, std::size_t capacity) const;
    void SetDefaultFlag(int value);
    int GetDefaultFlag() const { return m_bSetDefault; }
    void SetTestPageFlag(int value);
    int GetTestPageFlag() const { return m_bPrintTestPage; }
    // Unattended: nothing may wait for a person. The print UI is told to show no windows, a
    // print UI that cannot be started is not reported in a box, and the plug-and-play update
    // must not ask anything.
    void SetQuietFlag(int value);
    int GetQuietFlag() const { return m_bQuiet; }
    // Whether the last plug-and-play update asked for a restart.
    int GetRestartFlag() const { return m_bRestartNeeded; }
    // The platform's error code of the last failed InstallDriver where its route has one: the
    // print UI's failed start, or ERROR_TIMEOUT for a print UI that outlived its wait; else 0.
    unsigned long GetInstallError() const { return m_nInstallError; }
    // Who hears of each step of an installation or removal (a log); none when null.
    void SetStepListener(ISetupListener* listener) { m_pStepListener = listener; }
    ISetupListener* GetStepListener() const { return m_pStepListener; }

    // Catalogue readers (PrinterInfor.Inf). Results are ints used as booleans or counts.
    int ReadProfileSection(const WChar* section, const WChar* file, WChar* buffer,
                           unsigned long capacity) const;
    int ReadProfileString(const WChar* section, const WChar* key, const WChar* file, WChar* buffer,
                          unsigned long capacity) const;
    int GetModelDriverName(const WChar* model, WChar* buffer, unsigned long capacity) const;
    int GetPrinterType(const WChar* driverName) const;
    int ReadSectionLines(const WChar* section, NameList& lines) const;
    int ReadSeriesList(NameList& series) const;
    // The models the wizard offers: the lines of its one series, in the catalogue's order.
    int ReadOfferedModels(NameList& models) const;
    // Whether the catalogue file can be read at all.
    bool CanReadCatalogue() const;

    // Spooler queries. Printer names compare as the spooler compares them, case ignored.
    int CollectPrintersByName(const WChar* name, NameList& printers) const;
    int IsPrinterInstalled(const WChar* name) const;
    // 1 when a printer of this name or a numbered copy of it is listed now that is not in
    // `before` (an earlier CollectPrintersByName); 0 otherwise, and when the spooler refused.
    int HasNewPrinterOfName(const WChar* name, const NameList& before) const;
    // Every printer on this driver, whatever its name; Remote Desktop printers excepted.
    int CollectPrintersOfDriver(const WChar* driver, NameList& printers) const;
    // The first printer on this driver listed now that is not in `before` (an earlier
    // CollectPrintersOfDriver); empty when there is none.
    WString NewPrinterOfDriver(const WChar* driver, const NameList& before) const;
    int CollectPortNames(NameList& ports) const;
    // The ports the wizard offers: the spooler's, or a fixed list when it cannot be asked.
    void CollectOfferedPorts(NameList& ports) const;
    // The port of `ports` chosen until the user chooses another: the first that begins with
    // kPreselectedPort, letter case ignored (as the list box searches), else the first one;
    // empty for no ports.
    WString PreselectedPort(const NameList& ports) const;

    // Print UI commands, run through the system's rundll32, each in a job of its own. 1 when
    // the command ended within `waitMs`; 0 when it could not be started (told in a box unless
    // quiet), with the start's error code in `error`, or when it outlived the wait, with
    // ERROR_TIMEOUT. Unattended, one that outlived its wait is ended, so that nothing of the
    // run goes on after it. In the wizard it goes on installing: it is kept as the late print
    // UI below, with its job, which would end it if let go of.
    int RunPrintUICommand(const WChar* parameters, unsigned long waitMs, unsigned long& error);
    int InstallWithPrintUI();
    int MakeDefaultPrinter();
    int PrintTestPage();
    // Whether a print UI that outlived the wizard's wait still runs; one that has ended since
    // is let go of. Nothing may be removed or installed, nor the program end, while it runs:
    // the confirmation page waits for it (WaitForLatePrintUI, on a thread of its own).
    bool HasLatePrintUI();
    // Waits, without a time-out, until it has ended, then lets go of it.
    void WaitForLatePrintUI();

    // Removal of an earlier installation.
    // `printerDeleted`, when given, tells whether the spooler accepted the printer's deletion.
    int RemovePrinterAndDriver(const WChar* name, bool* printerDeleted = nullptr);
    // Deletes the printer driver of this name with its files that no other driver uses; 1 when
    // the spooler did. (Not
    // called DeletePrinterDriver: winspool.h makes that name a macro.)
    int DeleteDriverAndFiles(const WChar* name);
    int PurgePrinterQueue(CPrinterHandle& printer);

    // Driver and model matching. PackageHasDriver: 1 when the package's driver INF can be
    // read and this driver is a model of a models section Windows chooses on this machine
    // (InfModels.h), as the print UI will look for it.
    int PackageHasDriver(const WChar* driverName);
    // The driver name in double quotes, as the INF's model lines begin with it.
    static WString QuotedModel(const WChar* driverName);
    int FindModelSeries(WString& series, const WString& model) const;
    int FindUsbHardwareId(const WChar* infPath, const WChar* quotedModel, std::size_t length,
                          unsigned char* buffer, std::size_t capacity) const;

    // The plug-and-play update and the installation sequence.
    int UpdatePnPDriver();
    int InstallDriver();

    // What a reinstall carries across from the printer it replaces (CarriedSettings.cpp).
    // Reads the settings of the printer named exactly as the driver, once for each driver
    // name: a printer that a failed attempt created later does not replace them. Also notes
    // whether that printer or a numbered copy of it is the user's default printer.
    void SaveOldPrinterSettings(const WChar* driverName);
    // The saved settings; null when there was no such printer.
    const PrinterSettings* SavedSettings() const;
    bool OldPrinterWasDefault() const { return m_bOldWasDefault != 0; }
    // Sets the saved settings on the printer on this driver that the installation added (not
    // in `before`), waiting for it as long as plug and play may take. Skipped when nothing was
    // saved or no new printer came; failed, with the first error, when a setting could not be
    // set (the rest is set all the same).
    StepOutcome RestoreSettings(const NameList& before, unsigned long& error);

    // The attached USB printer and the device tree.
    int GetUsbPrinterModel(WString& model);
    int RescanDevices();

    const WChar* GetModuleDir() const { return m_szModuleDir; }
    const WChar* GetPrinterInfoFile() const { return m_szPrinterInfoFile; }
    const WChar* GetDriverInf() const { return m_szDriverInf; }
    const WChar* GetLanguageFile() const { return m_szLanguageFile; }
    const WChar* GetLanguage() const { return m_szLanguage; }

private:
    // Builds one package path: the module folder followed by the given parts.
    void BuildPackagePath(WChar* dest, const WChar* first, const WChar* second);

    WChar m_szModuleDir[kPathCapacity];
    WChar m_szPrinterInfoFile[kPathCapacity];
    WChar m_szDriverInf[kPathCapacity];
    WChar m_szLanguageFile[kPathCapacity];
    WChar m_szDriverName[kNameCapacity];
    WChar m_szPortName[kNameCapacity];
    WChar m_szLanguage[kLanguageCapacity];
    int m_bSetDefault;
    int m_bPrintTestPage;
    int m_bPackagePathsFit;
    int m_bQuiet;
    int m_bRestartNeeded;
    unsigned long m_nInstallError = 0;
    ISetupListener* m_pStepListener;
    CSystemProgram m_latePrintUI;
    // The settings SaveOldPrinterSettings read, and for which driver name.
    WString m_strSettingsOf;
    bool m_bSettingsRead = false;
    std::optional<PrinterSettings> m_savedSettings;
    int m_bOldWasDefault = 0;
};

// The port the wizard offers first.
extern const WChar kPreselectedPort[];

// The installer record the pages and the engine share. Defined before the application object,
// so it is constructed first.
extern CDriverInstaller theInstaller;
