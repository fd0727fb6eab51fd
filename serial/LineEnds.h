#pragma once
// Line ends as the terminals keep received text: line feeds dropped and every CR followed by
// one LF, so each line ends in CR LF whatever the far end sent. Plain C++, no Qt.
#include <string>
#include <string_view>

namespace carterm {

std::string normaliseLineEnds(std::string_view data);

} // namespace carterm
