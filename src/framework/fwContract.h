#pragma once
// Texts of contract violations in the numeric and ruler code:
// "File: <source>\n function:\n<signature>\n<condition>".
#include <stdexcept>
#include <string>

namespace fw {

std::string ContractText(const char* file, const char* signature, const char* condition);

[[noreturn]] void ThrowInvalidArgument(const char* file, const char* signature, const char* condition);
[[noreturn]] void ThrowOutOfRange(const char* file, const char* signature, const char* condition);

} // namespace fw
