// The three views of the disclosures: every company (All), the user's
// portfolio (Port) and the companies with a spreadsheet file (Xls). A view
// names the per-day view directory, its summary page and its schedule page,
// and decides how company names are highlighted.
#pragma once

#include <cstdint>

enum class View : uint8_t { kAll, kPort, kXls };

// The view's name: the per-day directory and the summary page's stem ("All",
// "Port", "Xls").
constexpr const char* ViewName(View view) {
  switch (view) {
    case View::kAll: return "All";
    case View::kPort: return "Port";
    case View::kXls: return "Xls";
  }
  return "";
}

// A set of views.
class ViewSet {
 public:
  constexpr ViewSet() = default;
  constexpr void Add(View view) { bits_ = static_cast<uint8_t>(bits_ | Bit(view)); }
  constexpr bool Has(View view) const { return (bits_ & Bit(view)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  friend constexpr bool operator==(ViewSet, ViewSet) = default;

 private:
  static constexpr uint8_t Bit(View view) { return static_cast<uint8_t>(1u << static_cast<unsigned>(view)); }
  uint8_t bits_ = 0;
};
