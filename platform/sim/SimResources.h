// The program's dialog templates, read from its own resource script, so the simulated windows
// carry exactly the controls and styles the real ones get.
#pragma once

#include <string>
#include <vector>

#include "platform/Text.h"

namespace sim {

// Window style bits the resource script uses (the platform's WS_*, DS_*, SS_*, LBS_*, BS_*).
enum StyleBits : unsigned {
    kWsChild = 0x40000000,
    kWsVisible = 0x10000000,
    kWsDisabled = 0x08000000,
    kWsCaption = 0x00C00000,
    kWsBorder = 0x00800000,
    kWsVScroll = 0x00200000,
    kWsHScroll = 0x00100000,
    kWsGroup = 0x00020000,
    kWsTabStop = 0x00010000,
    kDsSetFont = 0x40,
    kSsLeft = 0x0,
    kSsBitmap = 0xE,
    kSsRealSizeControl = 0x40,
    kLbsNotify = 0x1,
    kLbsSort = 0x2,
    kLbsNoIntegralHeight = 0x100,
    kBsAutoRadioButton = 0x9,
};

struct ControlTemplate {
    WString text;
    int id = 0;
    std::string className;
    unsigned style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    unsigned style = 0;
    WString caption;
    int fontSize = 0;
    WString fontName;
    int language = 0;
    std::vector<ControlTemplate> controls;

    const ControlTemplate* FindControl(int controlId) const;
};

// The template with this resource id, or null.
const DialogTemplate* FindDialogTemplate(int id);

// Parses a resource script and its header (exposed for tests of the reader itself).
std::vector<DialogTemplate> ParseDialogTemplates(const std::string& script,
                                                 const std::string& header);

} // namespace sim
