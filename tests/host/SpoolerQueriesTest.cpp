// The spooler queries against the simulated spooler: numbered copies, prefixes, letter case
// ignored as the spooler ignores it, and refused enumerations.
#include <gtest/gtest.h>

#include <limits>

#include "installer/DriverInstaller.h"
#include "platform/sim/SimSpooler.h"
#include "tests/host/TestSupport.h"

namespace {

using sim::SpoolerCall;

const WString kModel = WTEXT("Veltra KX-680");
const WString kDriver = WTEXT("Veltra KX-680");

class SpoolerQueries : public SimTest {
protected:
    void AddPrinters(std::initializer_list<WString> names) {
        sim::Spooler& spooler = sim::Spooler::Get();
        spooler.AddDriver(kDriver);
        for (const WString& name : names) {
            ASSERT_TRUE(spooler.AddPrinter(name, WTEXT("LPT1:"), kDriver)) << U8(name);
        }
    }
    std::vector<std::string> Collect(const WString& name, int& result) {
        NameList found = {WTEXT("kept")};
        result = m_installer.CollectPrintersByName(name.c_str(), found);
        EXPECT_EQ(U8(found.front()), "kept") << "the list is only appended to";
        std::vector<std::string> out;
        for (std::size_t i = 1; i < found.size(); ++i) {
            out.push_back(U8(found[i]));
        }
        return out;
    }

    CDriverInstaller m_installer;
};

TEST_F(SpoolerQueries, NoPrintersMeansNothingToCollectAndNothingInstalled) {
    int result = -1;
    EXPECT_TRUE(Collect(kModel, result).empty());
    EXPECT_EQ(result, 0);
    EXPECT_EQ(m_installer.IsPrinterInstalled(kModel.c_str()), 0);
}

TEST_F(SpoolerQueries, CollectsThePrinterAndItsNumberedCopiesInSpoolerOrder) {
    AddPrinters({WTEXT("Other"), kModel + WTEXT(" (副本 1)"), kModel + WTEXT("X"), kModel,
                 kModel + WTEXT(" ("), kModel + WTEXT("-(2)"), WTEXT("veltra KX-680 (2)")});
    int result = 0;
    // Taken: the copy, the exact name and a copy in other letter case. Not taken: a letter
    // straight after the name, "-(2)" (a copy has a blank before its "("), and the name plus
    // just " (" (it must be longer than that).
    EXPECT_EQ(
        Collect(kModel, result),
        (std::vector<std::string>{"Veltra KX-680 (副本 1)", "Veltra KX-680", "veltra KX-680 (2)"}));
    EXPECT_EQ(result, 3);
}

// Installed means the printer itself or a numbered copy of it: a printer whose name merely
// begins with the name is another model's ("KX-680X" is no proof that "KX-680" was installed).
TEST_F(SpoolerQueries, InstalledMeansThePrinterOrANumberedCopyInAnyCase) {
    const struct {
        WString printer;
        int installed;
    } cases[] = {
        {kModel, 1},
        {kModel + WTEXT(" (Copy 1)"), 1},
        {kModel + WTEXT("X"), 0},
        {kModel + WTEXT("0 (Copy 1)"), 0},
        {WTEXT("VELTRA KX-680"), 1},
        {WTEXT("veltra kx-680 (Copy 2)"), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.printer));
        sim::Spooler::Get().Reset();
        AddPrinters({c.printer});
        EXPECT_EQ(m_installer.IsPrinterInstalled(kModel.c_str()), c.installed);
    }
}

TEST_F(SpoolerQueries, PortsComeInTheSpoolersOrderUnfiltered) {
    const std::vector<WString> ports = {WTEXT("USB001"), WTEXT("COM3:"), WTEXT("FILE:"),
                                        WTEXT("\\\\server\\share"), WTEXT("LPT1:")};
    sim::Spooler::Get().SetPorts(ports);
    NameList found;
    EXPECT_EQ(m_installer.CollectPortNames(found), 1);
    EXPECT_EQ(found, ports);

    sim::Spooler::Get().SetPorts({});
    NameList none;
    EXPECT_EQ(m_installer.CollectPortNames(none), 1) << "no ports is still an answer";
    EXPECT_TRUE(none.empty());
}

TEST_F(SpoolerQueries, RefusedEnumerationsFailEachInItsOwnWay) {
    AddPrinters({kModel});
    // Refused at the sizing call with an error other than "buffer too small", and refused at
    // the filling call.
    for (unsigned nthCall : {1u, 2u}) {
        SCOPED_TRACE(nthCall);
        sim::Spooler::Get().Refuse(SpoolerCall::EnumPrinters, sim::kErrorAccessDenied, nthCall);
        int result = 0;
        EXPECT_TRUE(Collect(kModel, result).empty());
        EXPECT_EQ(result, -1);
        sim::Spooler::Get().Refuse(SpoolerCall::EnumPrinters, sim::kErrorAccessDenied, nthCall);
        EXPECT_EQ(m_installer.IsPrinterInstalled(kModel.c_str()), 0);
        sim::Spooler::Get().Refuse(SpoolerCall::EnumPorts, sim::kErrorRpcServerUnavailable,
                                   nthCall);
        NameList ports = {WTEXT("kept")};
        EXPECT_EQ(m_installer.CollectPortNames(ports), 0);
        EXPECT_EQ(ports.size(), 1u);
    }
    // A spooler that claims more than can be had fails the query, not the program.
    sim::Spooler::Get().ClaimNeededBytes(std::numeric_limits<std::size_t>::max() / 2);
    int result = 0;
    EXPECT_TRUE(Collect(kModel, result).empty());
    EXPECT_EQ(result, -1);
    EXPECT_EQ(m_installer.IsPrinterInstalled(kModel.c_str()), 0);
    NameList ports;
    EXPECT_EQ(m_installer.CollectPortNames(ports), 0);
}

} // namespace
