#pragma once
#include <string>
#include <string_view>

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD. Empty on failure.
std::string Utf8(std::wstring_view text);

// UTF-8 to UTF-16; input that is not valid UTF-8 is rejected whole: the result is empty.
std::wstring Wide(std::string_view text);
