// The simulated list box behaves as the platform's: sorted insertion, selection, prefix search.
#include <gtest/gtest.h>

#include "platform/sim/SimWindows.h"
#include "tests/host/TestSupport.h"

namespace {

using sim::SimListBox;

std::vector<std::string> Items(const SimListBox& box) {
    std::vector<std::string> out;
    for (const WString& item : box.Items()) {
        out.push_back(U8(item));
    }
    return out;
}

TEST(SimListBox, SortedBoxPlacesItemsCaseBlindUnsortedKeepsOrder) {
    SimListBox sorted(true), plain(false);
    for (const WChar* item : {WTEXT("b2"), WTEXT("A1"), WTEXT("a0"), WTEXT("C")}) {
        sorted.AddString(item);
        plain.AddString(item);
    }
    EXPECT_EQ(Items(sorted), (std::vector<std::string>{"a0", "A1", "b2", "C"}));
    EXPECT_EQ(Items(plain), (std::vector<std::string>{"b2", "A1", "a0", "C"}));
}

TEST(SimListBox, SelectionFollowsItsItemAndEmptyBoxHasNone) {
    SimListBox box(true);
    EXPECT_EQ(box.SetCurSel(0), kListBoxError);
    EXPECT_EQ(box.GetCurSel(), kListBoxError);
    box.AddString(WTEXT("m"));
    box.SetCurSel(0);
    box.AddString(WTEXT("a")); // goes before the selected item
    EXPECT_EQ(U8(box.GetText(box.GetCurSel())), "m");
    box.DeleteString(0);
    EXPECT_EQ(U8(box.GetText(box.GetCurSel())), "m");
    box.DeleteString(0);
    EXPECT_EQ(box.GetCurSel(), kListBoxError);
    EXPECT_EQ(box.GetTextLen(0), kListBoxError);
}

TEST(SimListBox, PrefixSearchIgnoresCaseAndFallsBackToError) {
    SimListBox box(false);
    for (const WChar* item : {WTEXT("COM1:"), WTEXT("lpt1:"), WTEXT("LPT1:"), WTEXT("FILE:")}) {
        box.AddString(item);
    }
    EXPECT_EQ(box.SelectString(-1, WTEXT("LPT1:")), 1);
    EXPECT_EQ(box.GetCurSel(), 1);
    EXPECT_EQ(box.SelectString(1, WTEXT("LPT1:")), 2);
    EXPECT_EQ(box.SelectString(-1, WTEXT("USB")), kListBoxError);
    EXPECT_EQ(box.GetCurSel(), 2) << "a failed search keeps the selection";
}

} // namespace

#include "tests/common/ListBoxCases.h"

namespace {

TEST(SimListBox, SharedOrderAndSearchCasesMatchThePlatform) {
    const std::vector<std::vector<WString>> shown =
        RunOrderCases([](bool sorted) { return std::make_unique<SimListBox>(sorted); });
    const std::vector<ListBoxOrderCase> cases = ListBoxOrderCases();
    ASSERT_EQ(shown.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(shown[i], cases[i].shown) << "case " << i;
    }
    SimListBox box(false);
    std::vector<int> expected;
    for (const ListBoxSearchCase& c : ListBoxSearchCases()) {
        expected.push_back(c.found);
    }
    EXPECT_EQ(RunSearchCases(box), expected);
}

} // namespace
