// The engine on large inputs, each against the floor of what the same work costs without our
// code, in the same run: the INF scan against reading the same file line by line with the
// standard library, the catalogue readers against the platform's own section read, and the
// device-ID extraction against widening its text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "installer/DriverInstaller.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimText.h"
#include "usb/USBPort.h"

namespace {

constexpr std::size_t kInfBytes = 10 * 1024 * 1024;
// A section of the catalogue as large as the readers' 2048-character buffer takes.
constexpr std::size_t kSectionCharacters = 2040;
const char kModelLine[] = "\"VELTRA KX-680\" = KX680.GPD,USBPRINT\\VELTRAKX-680D2C1, VELTRA_KX-680";
const char kFillerLine[] =
    "\"VELTRA KX-999\" = KX999.GPD,USBPRINT\\VELTRAKX-999FFFF, VELTRA_KX-999";
const char kInfOnDisk[] = "veltra-bench.inf";

// The INF: filler lines, the matching line last.
const std::string& LargeInf() {
    static const std::string inf = [] {
        std::string text;
        while (text.size() + sizeof(kModelLine) < kInfBytes) {
            text += std::string(kFillerLine) + "\r\n";
        }
        return text + kModelLine + "\r\n";
    }();
    return inf;
}

void BM_InfScan(benchmark::State& state) {
    sim::Machine::Get().Reset();
    CDriverInstaller installer;
    sim::Machine::Get().WriteFile(installer.GetDriverInf(), LargeInf());
    const WString quoted = WTEXT("\"Veltra KX-680\"");
    unsigned char id[kHardwareIdCapacity] = {};
    for (auto _ : state) {
        const int found = installer.FindUsbHardwareId(installer.GetDriverInf(), quoted.c_str(),
                                                      quoted.size(), id, kHardwareIdCapacity);
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations() * LargeInf().size()));
}
BENCHMARK(BM_InfScan)->Unit(benchmark::kMillisecond);

// The floor: the same bytes read line by line with std::getline, each line looked at once.
void BM_InfScanFloor(benchmark::State& state) {
    std::ofstream(kInfOnDisk, std::ios::binary) << LargeInf();
    for (auto _ : state) {
        std::ifstream file(kInfOnDisk);
        std::string line;
        std::size_t lines = 0;
        while (std::getline(file, line)) {
            lines += line.empty() ? 0 : static_cast<unsigned char>(line[0]);
        }
        benchmark::DoNotOptimize(lines);
    }
    std::remove(kInfOnDisk);
    state.SetBytesProcessed(static_cast<long long>(state.iterations() * LargeInf().size()));
}
BENCHMARK(BM_InfScanFloor)->Unit(benchmark::kMillisecond);

// A catalogue whose series section fills the readers' buffer.
void WriteFullCatalogue(const CDriverInstaller& installer) {
    std::string section = "[KX]\n";
    std::size_t characters = 0;
    for (int i = 0; characters + 16 < kSectionCharacters; ++i) {
        const std::string model = "Veltra KX-" + std::to_string(1000 + i);
        section += model + "\n";
        characters += model.size() + 1;
    }
    sim::Machine::Get().WriteFile(installer.GetPrinterInfoFile(),
                                  "[PRINTER_SERIES]\nKX\n" + section);
}

void BM_CatalogueSection(benchmark::State& state) {
    sim::Machine::Get().Reset();
    CDriverInstaller installer;
    WriteFullCatalogue(installer);
    for (auto _ : state) {
        NameList models;
        benchmark::DoNotOptimize(installer.ReadSectionLines(WTEXT("KX"), models));
    }
}
BENCHMARK(BM_CatalogueSection)->Unit(benchmark::kMicrosecond);

// The floor: the platform's own read of the same section into the same buffer.
void BM_CatalogueSectionFloor(benchmark::State& state) {
    sim::Machine::Get().Reset();
    CDriverInstaller installer;
    WriteFullCatalogue(installer);
    WChar buffer[2048];
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            IniReadSection(WTEXT("KX"), buffer, 2048, installer.GetPrinterInfoFile()));
    }
}
BENCHMARK(BM_CatalogueSectionFloor)->Unit(benchmark::kMicrosecond);

const std::string& DeviceId() {
    static const std::string id = [] {
        std::string text =
            "MFG:Veltra;CMD:ESC/P,IBM;" + std::string(900, 'X') + ";MDL:Veltra KX-680;CLS:PRINTER;";
        const std::size_t length = text.size() + 2;
        return std::string(1, static_cast<char>(length >> 8)) +
               std::string(1, static_cast<char>(length & 0xFF)) + text;
    }();
    return id;
}

void BM_DeviceIdModel(benchmark::State& state) {
    const std::string& id = DeviceId();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ExtractDeviceIdModel(reinterpret_cast<const unsigned char*>(id.data()), id.size()));
    }
}
BENCHMARK(BM_DeviceIdModel)->Unit(benchmark::kMicrosecond);

// The floor: widening the device ID's text, which the extraction must do anyway.
void BM_DeviceIdModelFloor(benchmark::State& state) {
    const std::string& id = DeviceId();
    for (auto _ : state) {
        benchmark::DoNotOptimize(WidenWithThreadCodePage(std::string_view(id).substr(2)));
    }
}
BENCHMARK(BM_DeviceIdModelFloor)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
