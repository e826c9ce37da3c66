// Helpers shared by the host tests: a fresh simulated machine per test, and a scripted user.
#pragma once

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimText.h"
#include "platform/sim/SimWindows.h"

// Readable failure messages for UTF-16 texts.
inline std::string U8(const WString& text) {
    return sim::ToUtf8(text);
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { sim::Machine::Get().Reset(); }
    void TearDown() override { sim::Machine::Get().Reset(); }
    sim::Machine& Machine() { return sim::Machine::Get(); }
};

// A user who performs the given steps, one per turn of the modal loop, then walks away.
class ScriptedUser {
public:
    using Step = std::function<void(sim::SimSheet&)>;
    explicit ScriptedUser(std::vector<Step> steps) : m_steps(std::move(steps)) {}

    bool operator()(sim::SimSheet& sheet) {
        if (m_next >= m_steps.size()) {
            return false;
        }
        m_steps[m_next++](sheet);
        return true;
    }
    std::size_t StepsTaken() const { return m_next; }

private:
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
};

// The bytes of `utf8` as a file in UTF-16LE with a byte-order mark and CRLF line ends, as the
// package's catalogue is stored.
inline std::string Utf16LeFile(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') {
            crlf.push_back('\r');
        }
        crlf.push_back(c);
    }
    const WString text = WString(1, WChar(0xFEFF)) + sim::FromUtf8(crlf);
    std::string bytes;
    for (WChar c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

// The bytes of a file of the source tree.
inline std::string SourceFile(const std::string& relativePath) {
    std::ifstream file(std::string(VELTRA_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Puts the sample setup package where the installer record looks for it: the catalogue as
// UTF-16LE (as the build lays it out) and the driver INF as it is.
inline void WriteSamplePackage(const WString& catalogue, const WString& driverInf) {
    sim::Machine::Get().WriteFile(catalogue, Utf16LeFile(SourceFile("sample/PrinterInfor.Inf")));
    sim::Machine::Get().WriteFile(driverInf, SourceFile("sample/PrinterDriver/OEMPRINTCOMP.INF"));
}
