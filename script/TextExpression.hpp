#pragma once
// The text-expression form of text parameters: double-quoted literals, "#" character codes and
// "<%NAME%>" tags joined by spaces or "&".
#include <string>
#include <string_view>

namespace kpf::script {

// Builds the text an expression such as `"Hello, " & <%NAME%> & "!"` stands for, leaving the tags
// in place for SubstituteVariables. Gives the empty text when `text` is not a text expression (the
// caller then uses it as written). A "#" code whose number does not fit in 8 bits takes the number
// modulo 256, however many digits it has (the same as the low 8 bits of the number wrapped to 32
// bits), so no length of digits can overflow.
std::string ParseTextExpression(std::string_view text);

// True for a text that opens a web page or mail form rather than a file: it starts with "HTTP:",
// "HTTPS:" or "MAILTO:" in any case.
bool IsWebAddress(std::string_view text);

}  // namespace kpf::script
