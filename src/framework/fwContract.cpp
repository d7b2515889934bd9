#include "framework/fwContract.h"

namespace fw {

std::string ContractText(const char* file, const char* signature, const char* condition) {
    std::string text = "File: ";
    text += file;
    text += "\n function:\n";
    text += signature;
    text += '\n';
    text += condition;
    return text;
}

void ThrowInvalidArgument(const char* file, const char* signature, const char* condition) {
    throw std::invalid_argument(ContractText(file, signature, condition));
}

void ThrowOutOfRange(const char* file, const char* signature, const char* condition) {
    throw std::out_of_range(ContractText(file, signature, condition));
}

} // namespace fw
