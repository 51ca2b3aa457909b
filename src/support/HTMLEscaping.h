#pragma once

#include <string>
#include <string_view>

// Text put into a page as it reads: "&", "<" and ">" as entities, so that it stays text inside
// an element; with `quotes` the double quote as well, so that it stays text inside a quoted
// attribute too.
std::string escapedHTMLText(std::string_view text, bool quotes = true);
