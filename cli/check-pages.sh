#!/bin/sh
# check-pages.sh DIR...
# Every page under the directories must be well-formed XML (xmllint --noout).
# An empty raw day file marks a day without disclosures and is no page.
set -u
status=0
for dir in "$@"; do
  pages=$(find "$dir" -name '*.html' -size +0 | LC_ALL=C sort)
  [ -n "$pages" ] || { echo "check-pages: no page under $dir" >&2; status=1; continue; }
  for page in $pages; do
    xmllint --noout "$page" || { echo "check-pages: $page is not well-formed" >&2; status=1; }
  done
done
exit $status
