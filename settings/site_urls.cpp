#include "settings/site_urls.h"

#include "settings/options.h"

namespace {

// Whether the option file holds the key at all (a default is not enough).
bool FileHolds(const OptionStore& options, OptionKey key) {
  static const char kAbsent[] = "\x01";
  const OptionInfo& info = InfoOf(key);
  return options.Raw(info.section, info.name, kAbsent) != kAbsent;
}

// The template of a site: its own key, or the base key of an earlier version
// with the path that version appended, or the default template.
std::string SiteTemplate(const OptionStore& options, OptionKey templateKey, OptionKey legacyBaseKey,
                         const char* legacyPath) {
  if (!FileHolds(options, templateKey) && FileHolds(options, legacyBaseKey))
    return options.Text(legacyBaseKey) + legacyPath;
  return options.Text(templateKey);
}

}  // namespace

std::string FillUrlTemplate(std::string_view pattern, Code code) {
  const std::string_view placeholder = kCodePlaceholder;
  std::string text = code.Text();
  std::string url;
  for (size_t at; (at = pattern.find(placeholder)) != std::string_view::npos;
       pattern.remove_prefix(at + placeholder.size()))
    url.append(pattern.substr(0, at)).append(text);
  return url.append(pattern);
}

SiteAddresses ReadSiteAddresses(const OptionStore& options) {
  SiteAddresses sites;
  sites.tdnetBase = options.Text(OptionKey::TdnetBaseUrl);
  sites.quoteTemplate =
      SiteTemplate(options, OptionKey::QuoteUrlTemplate, OptionKey::QuoteBaseUrl, "/stocks/detail/?code={code}");
  sites.reportTemplate =
      SiteTemplate(options, OptionKey::ReportUrlTemplate, OptionKey::ReportBaseUrl, "/index.php?sa=report&bcode={code}");
  return sites;
}
