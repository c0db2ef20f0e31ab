// Untrusted text made safe for a page: what a site, a hand-edited file or the
// user's option text says becomes text of the page, never markup, and never
// bytes that make the page unreadable.
#pragma once

#include <string>
#include <string_view>

// Shift_JIS text for a text node of a page (written as it stands): tags and
// comments are removed; "<", ">", "\"" and every "&" that does not begin an
// entity reference a page may hold (&amp; &lt; &gt; &quot; &apos;, or a
// numeric reference to a printable character) become entity references;
// tabs, line breaks and other control characters become blanks; NUL bytes and
// bytes that are no Shift_JIS character are dropped.
std::string SafeMarkupText(std::string_view text);

// The same escaping for an attribute value (a link address), without removing
// anything that looks like a tag.
std::string SafeAttributeValue(std::string_view text);
