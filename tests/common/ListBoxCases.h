// List box behaviour both back ends must show: the real control under Wine and the simulated
// one on the host run the same cases, so the simulation cannot drift from the platform.
#pragma once

#include <vector>

#include "platform/Text.h"
#include "platform/Window.h"

struct ListBoxOrderCase {
    bool sorted;
    std::vector<WString> added;
    std::vector<WString> shown;
};

inline std::vector<ListBoxOrderCase> ListBoxOrderCases() {
    return {
        {true,
         {WTEXT("b2"), WTEXT("A1"), WTEXT("a0"), WTEXT("C")},
         {WTEXT("a0"), WTEXT("A1"), WTEXT("b2"), WTEXT("C")}},
        {false,
         {WTEXT("b2"), WTEXT("A1"), WTEXT("a0"), WTEXT("C")},
         {WTEXT("b2"), WTEXT("A1"), WTEXT("a0"), WTEXT("C")}},
        {true,
         {WTEXT("KX-100"), WTEXT("KX 100"), WTEXT("kx-20"), WTEXT("KX-1000")},
         {WTEXT("KX 100"), WTEXT("KX-100"), WTEXT("KX-1000"), WTEXT("kx-20")}},
    };
}

// Items of an unsorted box, then the prefix searches run on it in order, from the top.
struct ListBoxSearchCase {
    WString prefix;
    int startAfter;
    int found;
};

inline std::vector<WString> ListBoxSearchItems() {
    return {WTEXT("COM1:"), WTEXT("lpt1:"), WTEXT("LPT1:"), WTEXT("FILE:")};
}

inline std::vector<ListBoxSearchCase> ListBoxSearchCases() {
    return {
        {WTEXT("LPT1:"), -1, 1},           {WTEXT("LPT1:"), 1, 2},  {WTEXT("lpt"), 2, 1},
        {WTEXT("USB"), -1, kListBoxError}, {WTEXT("com1:"), -1, 0},
    };
}

// Runs the order cases on a fresh box from `make(sorted)`; returns the items as shown.
template <class MakeBox> std::vector<std::vector<WString>> RunOrderCases(MakeBox make) {
    std::vector<std::vector<WString>> shown;
    for (const ListBoxOrderCase& c : ListBoxOrderCases()) {
        auto box = make(c.sorted);
        for (const WString& item : c.added) {
            box->AddString(item);
        }
        std::vector<WString> items;
        for (int i = 0; i < box->GetCount(); ++i) {
            items.push_back(box->GetText(i));
        }
        shown.push_back(items);
    }
    return shown;
}

// Fills `box` with the search items and runs the searches; returns what each one found.
inline std::vector<int> RunSearchCases(IListBox& box) {
    for (const WString& item : ListBoxSearchItems()) {
        box.AddString(item);
    }
    std::vector<int> found;
    for (const ListBoxSearchCase& c : ListBoxSearchCases()) {
        found.push_back(box.SelectString(c.startAfter, c.prefix));
    }
    return found;
}
