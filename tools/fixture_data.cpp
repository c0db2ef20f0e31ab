// The built-in companies and titles of the fixture server, and the synthetic
// disclosure days made from them.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "tools/fixture_pages.h"

namespace {

// The names are made up; the mix is what matters: every place mark, names with
// blanks and "&", a professional-market name ("Ｐ－"), alphanumeric codes (a
// company, an ETF and a REIT), a green-sheet row, a REIT, an ETF, a quote page without an industry, a full
// name with "(株)" in the middle, and a company the quote site does not know
// (no full name).
const std::vector<FixtureCompany> kCompanies = {
    {"1301", "あけぼの水産", "あけぼの水産(株)", "東", "東証PRM", "水産・農林業", false},
    {"130A", "ネクスト ラボ", "(株)ネクストラボ", "東", "東証GRT", "情報・通信", false},
    {"1321", "日経225連動型ETF", "日経225連動型上場投資信託", "東", "東証ETF", "ETF", true},
    {"1332", "北洋フーズ", "北洋フーズ(株)", "東", "東証PRM", "食料品", false},
    {"1605", "ミナト石油開発", "ミナト石油開発(株)", "東", "東証PRM", "鉱業", false},
    {"1712", "ダイセン建設", "ダイセン建設(株)", "東名", "東証STD", "建設業", false},
    {"1801", "大江戸組", "(株)大江戸組", "東", "東証PRM", "建設業", false},
    {"2158", "Ｐ－ノースウインド", "ノースウインド(株)", "東", "東証PRO", "サービス業", false},
    {"2269", "さくら乳業", "さくら乳業(株)", "東札", "東証PRM", "食料品", false},
    {"2588", "プレミアム ウォーター", "プレミアムウォーター(株)", "東", "東証STD", "食料品", false},
    {"285A", "グロース250連動型ETF", "グロース250連動型上場投資信託", "東", "東証ETF", "ETF", true},
    {"2914", "ナゴヤ物産", "ナゴヤ物産(株)", "名", "名証MN", "卸売業", false},
    {"3038", "福岡テック", "福岡テック(株)", "福", "福証", "情報・通信", false},
    {"3175", "A&B HD", "A&Bホールディングス(株)", "東", "東証STD", "小売業", false},
    {"330A", "みらいリート投資法人", "みらいリート投資法人", "東", "東証", "REIT", false},
    {"3401", "テイコク繊維", "テイコク繊維(株)", "東", "東証PRM", "繊維製品", false},
    {"3498", "ムサシ技研", "ムサシ技研(株)", "東", "東証GRT", "サービス業", false},
    {"3861", "オージ製紙", "オージ製紙(株)", "東", "東証PRM", "パルプ・紙", false},
    {"4063", "シンエツ化成", "シンエツ化成(株)", "東", "東証PRM", "化学", false},
    {"4088", "ナカ化学", "ナカ(株)化学工業", "東", "東証STD", "化学", false},
    {"4121", "アンビ農産", "アンビ農産(株)", "札", "札幌ア", "水産・農林業", false},
    {"4385", "メルカド", "(株)メルカド", "東", "東証PRM", "情報・通信", false},
    {"4568", "ミドリ製薬", "ミドリ製薬(株)", "東", "東証PRM", "医薬品", false},
    {"4999", "ミシラズ工業", "", "東", "", "", false},
    {"5020", "ヒノデ石油", "ヒノデ石油(株)", "東", "東証PRM", "石油・石炭製品", false},
    {"5108", "マルタイヤ", "マルタイヤ(株)", "東", "東証PRM", "ゴム製品", false},
    {"5201", "ミカゲ硝子", "ミカゲ硝子(株)", "東", "東証PRM", "ガラス・土石製品", false},
    {"5401", "クロガネ製鉄", "クロガネ製鉄(株)", "東名", "東証PRM", "鉄鋼", false},
    {"5714", "ドウワ金属", "ドウワ金属(株)", "東", "東証PRM", "非鉄金属", false},
    {"5938", "リクシル建材", "(株)リクシル建材", "東名", "東証PRM", "金属製品", false},
    {"6178", "ニホン郵政", "ニホン郵政(株)", "東", "東証PRM", "サービス業", false},
    {"6501", "ヤマト電機", "ヤマト電機(株)", "東", "東証PRM", "電気機器", false},
    {"6758", "コスモ電子", "コスモ電子(株)", "東", "東証PRM", "電気機器", false},
    {"6955", "グローバル テクノロジーズ", "グローバルテクノロジーズ・インク", "東", "東証STD外国", "電気機器", false},
    {"7011", "オオシマ重工", "オオシマ重工業(株)", "東名", "東証PRM", "機械", false},
    {"7134", "キュウシュウ工房", "キュウシュウ工房(株)", "福", "福岡Q", "その他製品", false},
    {"7203", "ミカワ自動車", "ミカワ自動車(株)", "東名", "東証PRM", "輸送用機器", false},
    {"7731", "ヒガシ精機", "ヒガシ精機(株)", "東", "東証STD", "精密機器", false},
    {"8058", "ヤエス商事", "ヤエス商事(株)", "東", "東証PRM", "卸売業", false},
    {"8306", "ミナト FG", "(株)ミナト・フィナンシャル・グループ", "東名", "東証PRM", "銀行業", false},
    {"8354", "フクオカ銀行", "(株)フクオカ銀行", "東福", "東証PRM", "銀行業", false},
    {"8421", "シンキン中央", "シンキン中央金庫", "東", "東証STD", "", false},
    {"8473", "カブト証券", "カブト証券(株)", "東", "東証PRM", "証券業", false},
    {"8591", "オリオン リース", "オリオンリース(株)", "東", "東証PRM", "その他金融業", false},
    {"8766", "ミライ海上", "ミライ海上(株)", "東", "東証PRM", "保険業", false},
    {"8801", "ミツボシ不動産", "ミツボシ不動産(株)", "東", "東証PRM", "不動産業", false},
    {"8951", "ビルファンド投資法人", "ビルファンド投資法人", "東", "東証", "REIT", false},
    {"9020", "ヒガシ旅客鉄道", "ヒガシ旅客鉄道(株)", "東", "東証PRM", "陸運業", false},
    {"9101", "アオミ海運", "アオミ海運(株)", "東", "東証PRM", "海運業", false},
    {"9201", "ソラ航空", "ソラ航空(株)", "東", "東証PRM", "空運業", false},
    {"9229", "ミドリ園芸", "ミドリ園芸(株)", "札", "札証", "サービス業", false},
    {"9301", "ミナト倉庫", "ミナト倉庫(株)", "東", "東証STD", "倉庫・運輸関連業", false},
    {"9432", "ニホン通信", "ニホン通信(株)", "東", "東証PRM", "情報・通信", false},
    {"9501", "ヒガシ電力HD", "ヒガシ電力ホールディングス(株)", "東", "東証PRM", "電気・ガス業", false},
    {"9556", "グリーン工芸", "グリーン工芸(株)", "GR", "グリーンシート", "その他製品", false},
    {"9983", "ファースト商会", "(株)ファースト商会", "東", "東証PRM", "小売業", false},
};

const char* const kPlainTitles[] = {
    "剰余金の配当に関するお知らせ",
    "業績予想の修正に関するお知らせ",
    "自己株式の取得状況に関するお知らせ",
    "代表取締役の異動に関するお知らせ",
    "株主優待制度の変更に関するお知らせ",
    "コーポレート・ガバナンスに関する報告書",
    "定款の一部変更に関するお知らせ",
    "Notice Concerning Dividends of Surplus",
};

const char* const kAmpersandTitles[] = {
    "M&Aによる子会社の異動に関するお知らせ",
    "R&D拠点の開設について",
    "Q&A Session on Financial Results",
};

// splitmix64: small, and the same sequence on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

std::string Format(const char* format, int a, int b = 0, const char* c = "") {
  char text[512];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

std::string EarningsTitle(Random& random, uint32_t date) {
  static const char* const kQuarters[] = {"第1四半期", "第2四半期", "第3四半期", ""};
  static const char* const kStandards[] = {"〔日本基準〕(連結)", "〔日本基準〕(非連結)", "〔IFRS〕(連結)"};
  int year = static_cast<int>(date / 10000) + random.Below(2);
  std::string period = Format("%d年%d月期", year, random.Below(2) == 0 ? 3 : 12);
  return period + " " + kQuarters[random.Below(4)] + "決算短信" + kStandards[random.Below(3)];
}

std::string MonthlyTitle(Random& random, uint32_t date) {
  int year = static_cast<int>(date / 10000);
  int month = static_cast<int>(date / 100 % 100) - 1;
  if (month == 0) month = 12, --year;
  if (random.Below(2) == 0) return Format("%d年%d月度 月次売上高のお知らせ", year, month);
  return Format("%d年%d月度 既存店舗売上高前年比のお知らせ", year, month);
}

// The title of one row; a corrected row also gets the title it replaced.
void PickTitle(Random& random, uint32_t date, Disclosure& row) {
  int kind = random.Below(100);
  if (kind < 25) {
    row.title = EarningsTitle(random, date);
  } else if (kind < 35) {
    row.title = MonthlyTitle(random, date);
  } else if (kind < 42) {
    row.title = "（訂正）「" + EarningsTitle(random, date) + "」の一部訂正について";
  } else if (kind < 47) {
    row.title = kAmpersandTitles[random.Below(3)];
  } else if (kind < 52) {
    row.oldTitle = kPlainTitles[random.Below(8)];
    row.title = "（変更）" + row.oldTitle;
  } else {
    row.title = kPlainTitles[random.Below(8)];
  }
}

int PickTime(Random& random) {
  if (random.Below(10) < 3) return random.Below(2) == 0 ? 1500 : 1530;
  int minutes = 8 * 60 + random.Below(12 * 60);
  return minutes / 60 * 100 + minutes % 60;
}

// Makes sure the day holds each kind of row the extraction has to cope with.
void ForceVariety(std::vector<Disclosure>& rows, Random& random, uint32_t date) {
  if (rows.size() < 2) return;
  rows[1].company = rows[0].company;  // one company filing twice
  if (rows.size() < 6) return;
  rows[2].title = EarningsTitle(random, date);
  rows[3].title = MonthlyTitle(random, date);
  rows[4].title = kAmpersandTitles[0];
  rows[5].oldTitle = kPlainTitles[0];
  rows[5].title = "（変更）" + rows[5].oldTitle;
  if (rows.size() < 11) return;
  static const char* const kSpecial[] = {"130A", "9556", "8354", "2269", "2588"};  // code, places, blank
  for (size_t i = 0; i < 5; ++i) rows[6 + i].company = FindFixtureCompany(kSpecial[i]);
  rows[10].time = 905;
  if (rows.size() < 13) return;
  rows[11].company = FindFixtureCompany("285A");  // the alphanumeric ETF and REIT
  rows[12].company = FindFixtureCompany("330A");
}

}  // namespace

const std::vector<FixtureCompany>& FixtureCompanies() { return kCompanies; }

const FixtureCompany* FindFixtureCompany(const std::string& code) {
  for (const FixtureCompany& company : kCompanies)
    if (code == company.code) return &company;
  return nullptr;
}

std::vector<Disclosure> GenerateDay(uint64_t seed, uint32_t date, int count, int alphanumericPercent) {
  Random random(seed * 1000003u + date);
  // With a share asked for, each company comes from one of two pools.
  std::vector<const FixtureCompany*> pools[2];
  for (const FixtureCompany& company : kCompanies)
    pools[std::string(company.code).find_first_not_of("0123456789") != std::string::npos].push_back(&company);
  std::vector<Disclosure> rows(static_cast<size_t>(std::max(count, 0)));
  for (size_t i = 0; i < rows.size(); ++i) {
    Disclosure& row = rows[i];
    bool again = i > 0 && random.Below(100) < 15;
    if (again) {
      row.company = rows[random.Below(static_cast<int>(i))].company;
    } else if (alphanumericPercent > 0) {
      const auto& pool = pools[random.Below(100) < alphanumericPercent];
      row.company = pool[random.Below(static_cast<int>(pool.size()))];
    } else {
      row.company = &kCompanies[random.Below(static_cast<int>(kCompanies.size()))];
    }
    row.time = PickTime(random);
    PickTitle(random, date, row);
  }
  ForceVariety(rows, random, date);
  std::stable_sort(rows.begin(), rows.end(), [](const Disclosure& a, const Disclosure& b) { return a.time > b.time; });
  for (size_t i = 0; i < rows.size(); ++i) {
    int number = 500000 + static_cast<int>(rows.size() - i);
    rows[i].document = Format("1401%08d%06d.pdf", static_cast<int>(date), number);
    bool financial = rows[i].title.find("決算短信") != std::string::npos ||
                     rows[i].title.find("月次") != std::string::npos;
    if (financial) rows[i].xbrl = Format("0812%08d%06d.zip", static_cast<int>(date), number);
  }
  return rows;
}

namespace {
std::chrono::sys_days ToDays(uint32_t date) {
  using namespace std::chrono;
  return sys_days(year_month_day(year(static_cast<int>(date / 10000)), month(date / 100 % 100), day(date % 100)));
}
}  // namespace

uint32_t AddDaysToDate(uint32_t date, int days) {
  std::chrono::year_month_day result(ToDays(date) + std::chrono::days(days));
  return static_cast<uint32_t>(static_cast<int>(result.year()) * 10000 + static_cast<unsigned>(result.month()) * 100 +
                               static_cast<unsigned>(result.day()));
}

bool IsWeekend(uint32_t date) {
  unsigned weekday = std::chrono::weekday(ToDays(date)).c_encoding();
  return weekday == 0 || weekday == 6;
}
