// Text for manual pages (roff, the man macros), so that what --help says can be
// printed by man(1) as it is.
#ifndef QUORVANE_TEXT_ROFF_TEXT_H_
#define QUORVANE_TEXT_ROFF_TEXT_H_

#include <string>

// `text` as roff prints it: backslashes and hyphens escaped, a leading '.' or '\''
// guarded, so that no line of it is read as a request.
std::string roff_text(const std::string& text);

// The head of a section-1 manual page of quorvane `version`: its title and its NAME
// section, `name` \- `summary`.
std::string roff_page_head(const std::string& name, const std::string& version,
                           const std::string& summary);

#endif  // QUORVANE_TEXT_ROFF_TEXT_H_
