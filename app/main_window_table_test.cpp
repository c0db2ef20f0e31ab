// The main window's table: building, wiring, the enabling rules and saving all
// come from it, so its rows must agree with one another.
#include <gtest/gtest.h>

#include <set>

#include "app/main_window.h"

namespace {

const ControlRow& RowAt(int number) { return MainWindow::Table()[static_cast<size_t>(number - 1)]; }

bool IsBox(int number) { return number >= 1 && number <= kLastControl && RowAt(number).kind == ControlKind::kCheck; }

}  // namespace

TEST(MainWindowTable, RowsAreConsistent) {
  std::span<const ControlRow> table = MainWindow::Table();
  ASSERT_EQ(table.size(), static_cast<size_t>(kLastControl));
  std::set<OptionKey> keys;
  for (size_t i = 0; i < table.size(); ++i) {
    const ControlRow& row = table[i];
    SCOPED_TRACE(row.number);
    EXPECT_EQ(row.number, static_cast<int>(i) + 1) << "rows stand in number order";
    if (row.key != kNoOption) {
      EXPECT_TRUE(keys.insert(row.key).second) << "one control per option";
      if (row.kind == ControlKind::kCheck) {
        EXPECT_EQ(InfoOf(row.key).type, OptionType::Flag);
      }
      if (row.kind == ControlKind::kRadio) {
        EXPECT_EQ(InfoOf(row.key).type, OptionType::Integer);
      }
    }
    const EnableRule& rule = row.rule;
    bool ruled = rule.group != kNoRuleGroup;
    EXPECT_EQ(ruled, rule.on || rule.alsoOn || rule.off || rule.cycleItem >= 0 || rule.page || rule.never)
        << "a rule has a group and a condition";
    // A rule reads these boxes: toggling one of them must apply the rule again,
    // or the control would keep a stale state.
    for (int box : {rule.on, rule.alsoOn, rule.off}) {
      if (box == 0) continue;
      EXPECT_TRUE(IsBox(box)) << box;
      if (IsBox(box)) {
        EXPECT_NE(RowAt(box).refreshes & rule.group, 0) << "box " << box;
      }
    }
    if (rule.cycleItem >= 0) {
      EXPECT_NE(RowAt(kCycleGroup).refreshes & rule.group, 0);
    }
    if (rule.page) {
      EXPECT_EQ(row.kind, ControlKind::kButton) << "an \"開く\" button opens its rule's page";
    }
    if (rule.dash != DashRule::kNone) {
      EXPECT_EQ(row.kind, ControlKind::kEdit);
    }
    if (rule.dash == DashRule::kUnlessAlsoOn) {
      EXPECT_NE(rule.alsoOn, 0);
    }
    if (rule.clearedWhenUnusable) {
      EXPECT_EQ(row.kind, ControlKind::kCheck);
    }
    if (row.refreshes != kNoRuleGroup) {
      EXPECT_TRUE(row.kind == ControlKind::kCheck || row.kind == ControlKind::kRadio);
    }
  }
}

// "Save all options" writes each stored check box and the schedule cycle once,
// in its own order after the period; nothing else.
TEST(MainWindowTable, SavingCoversEveryStoredBoxOnce) {
  std::set<OptionKey> saved;
  for (OptionKey key : MainWindow::SavedOptions()) EXPECT_TRUE(saved.insert(key).second) << InfoOf(key).name;
  std::set<OptionKey> stored;
  for (const ControlRow& row : MainWindow::Table()) {
    bool choice = row.kind == ControlKind::kCheck || (row.kind == ControlKind::kRadio && row.number != kPeriodGroup);
    if (choice && row.key != kNoOption) stored.insert(row.key);
  }
  EXPECT_EQ(saved, stored);
  EXPECT_EQ(saved.size(), 38u);  // 36 check boxes, the cycle and the archive choice
  EXPECT_EQ(MainWindow::SavedOptions().front(), OptionKey::EnableHtmlPort);
  EXPECT_EQ(MainWindow::SavedOptions().back(), OptionKey::ArchiveXbrl);
}
