#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kyrel::bench {

// Lines as a translator would type them in "New Text": dialogue with dictionary syllables, line breaks,
// text boxes, choices, and tags with three-character arguments.
const std::vector<std::u16string>& TypicalLines();

// The typical lines one after another, each on a line of its own (CR LF), until the text holds at least
// minChars characters; only whole lines, so every tag keeps its argument.
std::u16string LongText(std::size_t minChars);

} // namespace kyrel::bench
