#pragma once

#include <string>
#include <string_view>

// Text put into a page as it reads: "&", "<", ">" and the double quote as entities, so that it
// stays text inside an element and inside a quoted attribute.
std::string escapedHTMLText(std::string_view text);
