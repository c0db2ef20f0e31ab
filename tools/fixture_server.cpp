// velkora-fixture: a small HTTP/1.1 server on 127.0.0.1 that stands in for the
// web services the program reads, for tests, benchmarks and the demo.
//
// It serves files from --root, synthetic disclosure lists, quote pages (today's
// "/quote/NNNN.T" and the older "/stocks/detail/?code=NNNN") and report pages,
// and failure modes chosen by a path prefix, so that each request of a test can
// pick its own failure: "/fail/STATUS/" (an error page with that status),
// "/fail/maintenance/STATUS/" (the quote site's maintenance page),
// "/fail/block/" (a block page answered with 200), "/fail/status/STATUS/..."
// (the rest served with that status, as a server whose error page carries text
// of its own), "/fail/pad/BYTES/" (the page
// with BYTES of markup before its content), "/fail/cut|slow|trickle|big/...",
// "/docfaults/" and "/docsgone/" (documents that fail, or all gone), and
// "/name/KIND/" (the company name of a quote or report page replaced by a
// hostile one: markup, line breaks, a NUL byte, an over-long name). "/agent"
// answers the user agent of the request. It prints "port N" as its first
// line, and stops by itself after --time-limit seconds.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/fixture_pages.h"

namespace {

const char kUsage[] =
    "usage: velkora-fixture [--port N] [--root DIR] [--time-limit SECONDS]\n"
    "         [--generate FROM:TO] [--seed N] [--per-day N] [--alphanumeric PERCENT] [--weekends]\n"
    "         [--today YYYYMMDD]\n"
    "         [--empty-day YYYYMMDD]... [--fail-day YYYYMMDD:STATUS]... [--verbose]\n";

// Which days have synthetic disclosure lists, and how they look.
struct Generation {
  uint32_t from = 0, to = 0;  // inclusive date range; from 0 means none
  uint64_t seed = 1;
  int perDay = 60;
  int alphanumericPercent = 0;  // rows given to a company with an alphanumeric code besides the usual mix
  bool weekends = false;  // weekends have disclosures too (otherwise none)
  std::set<uint32_t> emptyDays;
  bool documentFaults = false;  // some documents fail ("/docfaults/")
  bool documentsGone = false;   // every document answers 404 ("/docsgone/")
};

struct Options {
  int port = 0;
  std::string root = ".";
  int timeLimit = 600;
  uint32_t today = 0;
  Generation generation;
  std::map<uint32_t, int> failDays;  // date -> status of its list pages
  bool verbose = false;
};

Options options;
std::atomic<long> requestCount{0};
std::atomic<long> dropCount{0};
int dropPort = 0;

const char kHtml[] = "text/html; charset=UTF-8";
const char kText[] = "text/plain; charset=UTF-8";

uint32_t LocalToday() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<uint32_t>((local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday);
}

const char* Reason(int status) {
  switch (status) {
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

void SetError(httplib::Response& res, int status) {
  std::string line = std::to_string(status) + " " + Reason(status);
  res.status = status;
  res.set_content("<html>\n<head><title>" + line + "</title></head>\n<body>\n<h1>" + line +
                      "</h1>\n</body>\n</html>\n",
                  kHtml);
}

// `size` bytes of a repeating, printable pattern.
std::string Pattern(size_t size) {
  static const char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz\n";
  std::string body(size, ' ');
  for (size_t i = 0; i < size; ++i) body[i] = kAlphabet[i % (sizeof kAlphabet - 1)];
  return body;
}

bool ReadFile(const std::string& path, std::string& contents) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream stream;
  stream << file.rdbuf();
  contents = stream.str();
  return true;
}

bool ServeFile(const std::string& relative, httplib::Response& res) {
  if (relative.find("..") != std::string::npos) return false;
  std::string path = options.root + "/" + relative;
  std::string contents;
  if (!std::filesystem::is_regular_file(path) || !ReadFile(path, contents)) return false;
  bool html = relative.ends_with(".html") || relative.ends_with(".htm");
  res.set_content(contents, html ? kHtml : relative.ends_with(".txt") ? kText : "application/octet-stream");
  return true;
}

// Splits "first/rest" at the first "/" (rest without the slash).
std::pair<std::string, std::string> SplitFirst(const std::string& path) {
  size_t slash = path.find('/');
  if (slash == std::string::npos) return {path, ""};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

long Number(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

// The request's query again, for a redirect (the fixture's keys and values are
// plain ASCII).
std::string Query(const httplib::Request& req) {
  std::string query;
  for (const auto& [key, value] : req.params) query += (query.empty() ? "" : "&") + key + "=" + value;
  return query;
}

void Dispatch(const std::string& path, const Generation& generation, const httplib::Request& req,
              httplib::Response& res);

// Little-endian fields of a ZIP record.
void PutLittle(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

uint32_t Crc32(const std::string& data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// A small, well-formed XBRL archive: a ZIP of one stored file that names the
// document.
std::string DocumentZip(const std::string& id) {
  const std::string name = "XBRLData/Summary/" + id + ".txt";
  const std::string data = "XBRL " + id + "\n";
  uint32_t crc = Crc32(data);
  // The fields that the local header and the directory entry share.
  auto common = [&](std::string& out) {
    PutLittle(out, 20, 2);  // version needed
    PutLittle(out, 0, 2);   // flags
    PutLittle(out, 0, 2);   // stored
    PutLittle(out, 0, 4);   // time and date
    PutLittle(out, crc, 4);
    PutLittle(out, static_cast<uint32_t>(data.size()), 4);
    PutLittle(out, static_cast<uint32_t>(data.size()), 4);
    PutLittle(out, static_cast<uint32_t>(name.size()), 2);
    PutLittle(out, 0, 2);  // extra field
  };
  std::string zip = std::string("PK\x03\x04", 4);
  common(zip);
  zip += name + data;
  uint32_t directory = static_cast<uint32_t>(zip.size());
  zip += std::string("PK\x01\x02", 4);
  PutLittle(zip, 20, 2);  // made by
  common(zip);
  PutLittle(zip, 0, 2);   // comment
  PutLittle(zip, 0, 2);   // disk
  PutLittle(zip, 0, 2);   // internal attributes
  PutLittle(zip, 0, 4);   // external attributes
  PutLittle(zip, 0, 4);   // local header offset
  zip += name;
  uint32_t directorySize = static_cast<uint32_t>(zip.size()) - directory;
  zip += std::string("PK\x05\x06", 4);
  PutLittle(zip, 0, 4);  // disks
  PutLittle(zip, 1, 2);
  PutLittle(zip, 1, 2);
  PutLittle(zip, directorySize, 4);
  PutLittle(zip, directory, 4);
  PutLittle(zip, 0, 2);  // comment
  return zip;
}

// A small, well-formed PDF of one page that names the document.
std::string DocumentPdf(const std::string& id) {
  std::string text = "BT /F1 18 Tf 72 720 Td (Velkora fixture document " + id + ") Tj ET";
  std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
      "<< /Length " + std::to_string(text.size()) + " >>\nstream\n" + text + "\nendstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  char entry[32];
  for (size_t offset : offsets) {
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    pdf += entry;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

// "/inbs/NNNNYYYYMMDDSSSSSS.pdf" (and ".zip", an XBRL archive): a file of the
// root, or a document of any day. With document faults, the serial number
// picks some failures: 404 and 403 (a document the service removed), a page
// of HTML answered with 200, and a slow answer.
void ServeDocument(const std::string& name, const Generation& generation, httplib::Response& res) {
  if (ServeFile("inbs/" + name, res)) return;
  unsigned prefix = 0, date = 0, serial = 0;
  char kind[4] = {};
  if (name.size() != 22 || std::sscanf(name.c_str(), "%4u%8u%6u.%3s", &prefix, &date, &serial, kind) != 4)
    return SetError(res, 404);
  if (generation.documentsGone) return SetError(res, 404);
  if (generation.documentFaults) {
    if (serial % 20 == 3) return SetError(res, 404);
    if (serial % 20 == 7) return SetError(res, 403);
    if (serial % 20 == 11) return SetError(res, 200);
    // One slow document a month.
    if (serial % 20 == 2 && date % 100 == 5) std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  }
  std::string id = name.substr(0, 18);
  if (std::string(kind) == "zip") {
    return res.set_content(DocumentZip(id), "application/zip");
  }
  if (std::string(kind) != "pdf") return SetError(res, 404);
  res.set_content(DocumentPdf(id), "application/pdf");
}

// "/inbs/I_list_PPP_YYYYMMDD.html": a failing day, a file of the root, a
// synthetic day, or 404 (a day without a list).
void ServeListPage(const std::string& name, const Generation& generation, httplib::Response& res) {
  if (name.ends_with(".pdf") || name.ends_with(".zip")) return ServeDocument(name, generation, res);
  int page = 0;
  unsigned date = 0;
  if (std::sscanf(name.c_str(), "I_list_%3d_%8u.html", &page, &date) != 2) return SetError(res, 404);
  auto fail = options.failDays.find(date);
  if (fail != options.failDays.end()) return SetError(res, fail->second);
  if (ServeFile("inbs/" + name, res)) return;
  bool generated = generation.from != 0 && date >= generation.from && date <= generation.to;
  if (!generated) return SetError(res, 404);
  bool empty = generation.emptyDays.count(date) || (!generation.weekends && IsWeekend(date));
  std::vector<Disclosure> rows = empty ? std::vector<Disclosure>() : GenerateDay(generation.seed, date, generation.perDay, generation.alphanumericPercent);
  std::optional<std::string> html = TdnetListPage(date, page, rows);
  if (!html) return SetError(res, 404);
  res.set_content(*html, kHtml);
}

// A quote page: a file of the root, a built-in company, or the site's
// not-found page (an answer of 200, as the site gives it).
void ServeQuote(const std::string& code, const std::string& file, bool legacy, httplib::Response& res) {
  if (code.size() == 4 && ServeFile(file, res)) return;
  // The quote site knows neither green-sheet companies nor those without a
  // full name here.
  const FixtureCompany* company = FindFixtureCompany(code);
  if (company && *company->fullName && std::string(company->place) != "GR")
    return res.set_content(legacy ? LegacyQuotePage(*company) : QuotePage(*company), kHtml);
  res.set_content(QuoteNotFoundPage(), kHtml);
}

// "/stocks/detail/?code=NNNN": the older address and shape (or a file
// "stocks/detail/NNNN.html").
void ServeLegacyQuotePage(const httplib::Request& req, httplib::Response& res) {
  std::string code = req.get_param_value("code");
  ServeQuote(code, "stocks/detail/" + code + ".html", true, res);
}

// "/quote/NNNN.T": today's address and shape (or a file "quote/NNNN.T.html").
void ServeQuotePage(const std::string& name, httplib::Response& res) {
  if (!name.ends_with(".T")) return SetError(res, 404);
  std::string code = name.substr(0, name.size() - 2);
  ServeQuote(code, "quote/" + name + ".html", false, res);
}

// "/index.php?sa=report&bcode=NNNN": a file "report/NNNN.html", a built-in
// company, or the page of a vacant code.
void ServeReportPage(const Generation& generation, const httplib::Request& req, httplib::Response& res) {
  if (req.get_param_value("sa") != "report") return SetError(res, 404);
  std::string code = req.get_param_value("bcode");
  if (code.size() == 4 && ServeFile("report/" + code + ".html", res)) return;
  const FixtureCompany* company = FindFixtureCompany(code);
  if (company) return res.set_content(ReportPage(*company, generation.seed, options.today), kHtml);
  res.set_content(VacantReportPage(code), kHtml);
}

// Announces the whole body of the rest of the path (or a pattern when that is
// not longer than `keep`) and closes the connection after `keep` bytes.
void ServeCut(size_t keep, const std::string& rest, const Generation& generation, const httplib::Request& req,
              httplib::Response& res) {
  httplib::Response inner;
  Dispatch(rest, generation, req, inner);
  std::string body = inner.status == 200 && inner.body.size() > keep ? inner.body : Pattern(keep + 1000);
  res.set_content_provider(body.size(), kHtml, [body, keep](size_t offset, size_t, httplib::DataSink& sink) {
    if (offset >= keep) return false;  // fails the response: the connection is closed
    return sink.write(body.data() + offset, keep - offset);
  });
}

// Sends the rest of the path's body (or a pattern) one byte every `interval`
// milliseconds: a server that never stalls long enough for a stall timeout but
// never finishes either.
void ServeTrickle(long interval, const std::string& rest, const Generation& generation, const httplib::Request& req,
                  httplib::Response& res) {
  httplib::Response inner;
  Dispatch(rest, generation, req, inner);
  std::string body = inner.status == 200 && !inner.body.empty() ? inner.body : Pattern(100000);
  res.set_content_provider(body.size(), kHtml, [body, interval](size_t offset, size_t, httplib::DataSink& sink) {
    std::this_thread::sleep_for(std::chrono::milliseconds(interval));
    return sink.write(body.data() + offset, 1);
  });
}

// The rest of the path's page with `size` bytes of markup inserted at the
// start of its body: a large page whose markers lie far from its start.
void ServePadded(size_t size, const std::string& rest, const Generation& generation, const httplib::Request& req,
                 httplib::Response& res) {
  Dispatch(rest, generation, req, res);
  std::string filler;
  while (filler.size() < size) filler += "<div class=\"ad\"><a href=\"/ad\">広告 スポンサー</a></div>\n";
  size_t body = res.body.find("<body>");
  size_t at = body == std::string::npos ? 0 : body + 6;
  res.body.insert(at, filler);
}

// A hostile company name of a kind: markup, line breaks, a NUL byte.
std::string HostileName(const std::string& kind) {
  if (kind == "script") return "<script>alert(1)</script>ミカワ(株)";
  if (kind == "bold") return "ミカワ<b>x</b>";
  if (kind == "comment") return "Foo<!--";
  if (kind == "table") return "</td></tr></table>ミカワ";
  if (kind == "lines") return "ミカワ\r\n自動車\n\t(株)";
  if (kind == "nul") return std::string("ミカワ\0自動車", 19);
  if (kind == "long") return std::string(3000, 'W');
  return kind;
}

// "/name/KIND/...": the rest's page with the company name of its title (up to
// "【") and of a report page's heading (after the code, up to "</h1>")
// replaced by a hostile name, raw, as a careless or hostile site would send it.
void ServeHostileName(const std::string& path, const Generation& generation, const httplib::Request& req,
                      httplib::Response& res) {
  auto [kind, rest] = SplitFirst(path);
  Dispatch(rest, generation, req, res);
  std::string name = HostileName(kind);
  std::string& body = res.body;
  size_t title = body.find("<title>");
  size_t bracket = title == std::string::npos ? title : body.find("【", title);
  if (bracket != std::string::npos) body.replace(title + 7, bracket - title - 7, name);
  size_t heading = body.find("<div class=\"stockname\"><h1>");
  size_t blank = heading == std::string::npos ? heading : body.find(' ', heading + 25);
  size_t end = blank == std::string::npos ? blank : body.find("</h1>", blank);
  if (end != std::string::npos) body.replace(blank + 1, end - blank - 1, name);
}

// "/fail/MODE/...": one failure per request.
void ServeFailure(const std::string& path, const Generation& generation, const httplib::Request& req,
                  httplib::Response& res) {
  auto [mode, after] = SplitFirst(path);
  auto [argument, rest] = SplitFirst(after);
  if (mode == "cut") return ServeCut(static_cast<size_t>(Number(argument)), rest, generation, req, res);
  if (mode == "slow") {
    std::this_thread::sleep_for(std::chrono::milliseconds(Number(argument)));
    return Dispatch(rest, generation, req, res);
  }
  if (mode == "trickle") return ServeTrickle(Number(argument), rest, generation, req, res);
  if (mode == "big") return res.set_content(Pattern(static_cast<size_t>(Number(argument))), kHtml);
  if (mode == "pad") return ServePadded(static_cast<size_t>(Number(argument)), rest, generation, req, res);
  if (mode == "block") return res.set_content(BlockPage(), kHtml);
  if (mode == "status") {
    Dispatch(rest, generation, req, res);
    res.status = static_cast<int>(Number(argument));
    return;
  }
  if (mode == "maintenance") {
    res.set_content(QuoteMaintenancePage(), kHtml);
    res.status = static_cast<int>(Number(argument));
    return;
  }
  long status = Number(mode);
  if (status >= 100 && status <= 599) return SetError(res, static_cast<int>(status));
  SetError(res, 404);
}

// "/gen/SEED/PERDAY/...": the rest served with every date generated.
void ServeGenerated(const std::string& path, const Generation& base, const httplib::Request& req,
                    httplib::Response& res) {
  auto [seed, after] = SplitFirst(path);
  auto [perDay, rest] = SplitFirst(after);
  Generation generation = base;
  generation.seed = static_cast<uint64_t>(Number(seed));
  generation.perDay = static_cast<int>(Number(perDay));
  generation.from = 1;
  generation.to = 99991231;
  Dispatch(rest, generation, req, res);
}

// `path` without its leading "/".
void Dispatch(const std::string& path, const Generation& generation, const httplib::Request& req,
              httplib::Response& res) {
  auto [head, rest] = SplitFirst(path);
  if (path == "empty") return res.set_content("", kHtml);
  if (head == "size") return res.set_content(Pattern(static_cast<size_t>(Number(rest))), kHtml);
  if (head == "fail") return ServeFailure(rest, generation, req, res);
  if (head == "gen") return ServeGenerated(rest, generation, req, res);
  if (head == "docfaults" || head == "docsgone") {
    Generation changed = generation;
    (head == "docfaults" ? changed.documentFaults : changed.documentsGone) = true;
    return Dispatch(rest, changed, req, res);
  }
  if (head == "redirect") return res.set_redirect("/" + rest + (req.params.empty() ? "" : "?" + Query(req)));
  if (head == "name") return ServeHostileName(rest, generation, req, res);
  if (head == "inbs") return ServeListPage(rest, generation, res);
  if (head == "quote") return ServeQuotePage(rest, res);
  if (path == "stocks/detail/" || path == "stocks/detail") return ServeLegacyQuotePage(req, res);
  if (path == "index.php") return ServeReportPage(generation, req, res);
  if (!ServeFile(path, res)) SetError(res, 404);
}

}  // namespace

namespace {

// A second listener that accepts connections and closes them without a word:
// a server that is reachable but never answers. "/drop-port" names its port,
// "/drop-count" tells how many connections it took.
void StartDropListener() {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 16) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    std::perror("velkora-fixture: drop listener");
    return;
  }
  dropPort = ntohs(address.sin_port);
  std::thread([listener] {
    for (;;) {
      int connection = accept(listener, nullptr, nullptr);
      if (connection < 0) continue;
      ++dropCount;
      close(connection);
    }
  }).detach();
}

void Handle(const httplib::Request& req, httplib::Response& res) {
  std::string path = req.path.substr(1);
  if (options.verbose) std::fprintf(stderr, "velkora-fixture: %s %s\n", req.method.c_str(), req.target.c_str());
  // The counters do not count themselves, so a test reads exactly what its own
  // requests did.
  if (path == "count") return res.set_content(std::to_string(requestCount.load()), kText);
  if (path == "drop-port") return res.set_content(std::to_string(dropPort), kText);
  if (path == "drop-count") return res.set_content(std::to_string(dropCount.load()), kText);
  if (path == "agent") return res.set_content(req.get_header_value("User-Agent"), kText);
  ++requestCount;
  Dispatch(path, options.generation, req, res);
}

bool ParseDate(const char* text, uint32_t& date) {
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 10);
  if (end == text || value < 19000101 || value > 99991231) return false;
  date = static_cast<uint32_t>(value);
  return true;
}

// "A:B" of two numbers.
bool ParsePair(const char* text, uint32_t& first, unsigned long& second) {
  const char* colon = std::strchr(text, ':');
  if (!colon || !ParseDate(text, first)) return false;
  char* end = nullptr;
  second = std::strtoul(colon + 1, &end, 10);
  return end != colon + 1 && *end == '\0';
}

bool ParseArguments(int argc, char** argv) {
  Generation& generation = options.generation;
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag == "--weekends") { generation.weekends = true; continue; }
    if (flag == "--verbose") { options.verbose = true; continue; }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    unsigned long number = 0;
    uint32_t date = 0;
    if (flag == "--port") options.port = std::atoi(value);
    else if (flag == "--root") options.root = value;
    else if (flag == "--time-limit") options.timeLimit = std::atoi(value);
    else if (flag == "--seed") generation.seed = std::strtoull(value, nullptr, 10);
    else if (flag == "--per-day") generation.perDay = std::atoi(value);
    else if (flag == "--alphanumeric") generation.alphanumericPercent = std::atoi(value);
    else if (flag == "--today") { if (!ParseDate(value, options.today)) return false; }
    else if (flag == "--empty-day") { if (!ParseDate(value, date)) return false; generation.emptyDays.insert(date); }
    else if (flag == "--generate") {
      if (!ParsePair(value, generation.from, number) || !ParseDate(std::strchr(value, ':') + 1, generation.to))
        return false;
    } else if (flag == "--fail-day") {
      if (!ParsePair(value, date, number)) return false;
      options.failDays[date] = static_cast<int>(number);
    } else return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ParseArguments(argc, argv)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (options.today == 0) options.today = LocalToday();
  StartDropListener();

  httplib::Server server;
  server.Get(".*", Handle);
  server.set_tcp_nodelay(true);  // small pages would otherwise wait for delayed ACKs
  int port = options.port == 0 ? server.bind_to_any_port("127.0.0.1")
                               : (server.bind_to_port("127.0.0.1", options.port) ? options.port : -1);
  if (port <= 0) {
    std::fprintf(stderr, "velkora-fixture: cannot listen on port %d\n", options.port);
    return 1;
  }
  std::printf("port %d\n", port);
  std::fflush(stdout);

  std::thread([&server] {
    std::this_thread::sleep_for(std::chrono::seconds(options.timeLimit));
    server.stop();
  }).detach();
  return server.listen_after_bind() ? 0 : 1;
}
