// Shared by the tests of the page builders (and of the pipeline's pages): the
// company lookups in memory, and pages described row by row.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/tree.h"
#include "pages/page_inputs.h"
#include "pages/page_parser.h"
#include "platform/diagnostics.h"

// The company store's lookups without a store: names, markets and industries
// in memory.
class FakeCompanies : public CompanyLookup {
 public:
  struct Company {
    std::string name;
    uint8_t market = 0;
    uint8_t industry = 0;
  };
  bool Loaded() const override { return profileLoaded; }
  std::string_view NameOf(Code code) const override {
    auto found = companies.find(code);
    return found == companies.end() ? std::string_view() : std::string_view(found->second.name);
  }
  uint8_t MarketOf(Code code) const override { return profileLoaded ? Of(code).market : 0; }
  uint8_t IndustryOf(Code code) const override { return profileLoaded ? Of(code).industry : 0; }

  std::map<Code, Company> companies;
  bool profileLoaded = true;

 private:
  Company Of(Code code) const {
    auto found = companies.find(code);
    return found == companies.end() ? Company() : found->second;
  }
};

inline std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

// One cell as "id(span)=what": links as L (or - when empty), a linked ticker
// with "@", a highlighted name with its class.
inline std::string DescribeCell(const MarkupElement& cell) {
  const MarkupAttribute* id = cell.FindAttribute("id");
  const MarkupAttribute* span = cell.FindAttribute("rowspan");
  std::string text = std::string(id ? id->text() : "?") + (span ? "(" + std::string(span->text()) + ")" : "") + "=";
  std::string_view name = id ? id->text() : "";
  if (name == "gmo" || name == "kcom" || name == "sbi" || name == "ifis" || name == "yahoo") {
    const MarkupElement* link = cell.FindChild("a", false);
    if (!link) return text + "-";
    std::string href(link->FindAttribute("href")->text());
    return text + (name == "sbi" ? href.substr(href.find("exchange_code=") + 14, 3) : "L");
  }
  const MarkupElement* inner = cell.children().empty() ? nullptr : cell.children().front();
  if (inner && inner->name() == "span") text += std::string(inner->FindAttribute("class")->text()) + ":";
  if (inner && inner->name() == "a" && name == "ticker") text += "@";
  const MarkupElement& holder = inner ? *inner : cell;
  std::string pieces;
  for (const MarkupText* piece : holder.texts()) pieces += Trimmed(std::string(piece->text()));
  // A name cell is read as one piece: a highlighted name is "<span class="C"> N </span>".
  static const std::string kSpan = "<span class=\"";
  if (name == "coname" && pieces.starts_with(kSpan)) {
    size_t classEnd = pieces.find('"', kSpan.size());
    size_t nameEnd = pieces.rfind("</span>");
    return text + pieces.substr(kSpan.size(), classEnd - kSpan.size()) + ":" +
           Trimmed(pieces.substr(classEnd + 2, nameEnd - classEnd - 2));
  }
  return text + pieces;
}

// The rows of a page, one line each.
inline std::vector<std::string> Describe(const std::string& page) {
  PageParser parser;
  std::unique_ptr<MarkupDocument> document = parser.Parse(page);
  std::vector<std::string> rows;
  const MarkupElement* table = document ? document->FindChild("table", true) : nullptr;
  if (!table) return {"(no table)"};
  for (const MarkupElement* row : table->children()) {
    std::string line;
    for (const MarkupElement* cell : row->children()) {
      if (!line.empty()) line += ' ';
      line += DescribeCell(*cell);
    }
    rows.push_back(line);
  }
  return rows;
}

// The rows of a document, as written and read back.
inline std::vector<std::string> Describe(const MarkupDocument& page) {
  StringOutput text;
  page.Write(text, 0);
  return Describe(text.text);
}
