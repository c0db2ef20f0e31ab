#include "settings/site_urls.h"

#include "platform/diagnostics.h"
#include "settings/options.h"

namespace {

// Whether the option file holds the key at all (a default is not enough).
bool FileHolds(OptionKey key) {
  static const char kAbsent[] = "\x01";
  const OptionInfo& info = InfoOf(key);
  return Options().Raw(info.section, info.name, kAbsent) != kAbsent;
}

// The template of a site: its own key, or the base key of an earlier version
// with the path that version appended, or the default template.
std::string SiteTemplate(OptionKey templateKey, OptionKey legacyBaseKey, const char* legacyPath) {
  if (!FileHolds(templateKey) && FileHolds(legacyBaseKey)) return Options().Text(legacyBaseKey) + legacyPath;
  return Options().Text(templateKey);
}

}  // namespace

std::string FillUrlTemplate(std::string_view pattern, int ticker) {
  const std::string_view placeholder = kCodePlaceholder;
  std::string code = FormatString("%04d", ticker);
  std::string url;
  for (size_t at; (at = pattern.find(placeholder)) != std::string_view::npos;
       pattern.remove_prefix(at + placeholder.size()))
    url.append(pattern.substr(0, at)).append(code);
  return url.append(pattern);
}

std::string QuotePageUrl(int ticker) {
  return FillUrlTemplate(SiteTemplate(OptionKey::QuoteUrlTemplate, OptionKey::QuoteBaseUrl, "/stocks/detail/?code={code}"),
                         ticker);
}

std::string ReportPageUrl(int ticker) {
  return FillUrlTemplate(
      SiteTemplate(OptionKey::ReportUrlTemplate, OptionKey::ReportBaseUrl, "/index.php?sa=report&bcode={code}"), ticker);
}
