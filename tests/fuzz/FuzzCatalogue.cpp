// Fuzzes the catalogue readers: any bytes as PrinterInfor.Inf, read as the pages and the
// engine read it, through the simulated machine's INI reader.
#include "tests/fuzz/FuzzSupport.h"

#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sim::Machine::Get().Reset();
    CDriverInstaller installer;
    sim::Machine::Get().WriteFile(installer.GetPrinterInfoFile(),
                                  std::string(reinterpret_cast<const char*>(data), size));

    NameList series;
    installer.ReadSeriesList(series);
    for (const WString& name : series) {
        NameList models;
        installer.ReadSectionLines(name.c_str(), models);
        for (const WString& model : models) {
            WChar driver[kPathCapacity] = {};
            installer.GetModelDriverName(model.c_str(), driver, kPathCapacity);
            fuzz::Check(fuzz::IsTerminated(driver, kPathCapacity));
            installer.GetPrinterType(driver);
        }
    }
    WString found;
    installer.FindModelSeries(found, WTEXT("Veltra KX-680"));

    // The reader itself, at capacities around its edge cases.
    for (unsigned long capacity : {0ul, 1ul, 2ul, 3ul, 16ul}) {
        std::vector<WChar> buffer(capacity + 1, WTEXT('#'));
        const unsigned long count = IniReadSection(WTEXT("PRINTER_SERIES"), buffer.data(), capacity,
                                                   installer.GetPrinterInfoFile());
        fuzz::Check(buffer[capacity] == WTEXT('#') && (capacity == 0 || count < capacity));
        const unsigned long length =
            IniReadString(WTEXT("PRINTER_NAME"), WTEXT("Veltra KX-680"), nullptr, buffer.data(),
                          capacity, installer.GetPrinterInfoFile());
        fuzz::Check(buffer[capacity] == WTEXT('#') && (capacity == 0 || length < capacity));
    }
    return 0;
}
