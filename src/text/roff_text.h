// Text for manual pages (roff, the man macros), so that what --help says can be
// printed by man(1) as it is.
#ifndef QUORVANE_TEXT_ROFF_TEXT_H_
#define QUORVANE_TEXT_ROFF_TEXT_H_

#include <string>

// `text` as roff prints it: backslashes and hyphens escaped, a leading '.' or '\''
// guarded, so that no line of it is read as a request.
std::string roff_text(const std::string& text);

#endif  // QUORVANE_TEXT_ROFF_TEXT_H_
