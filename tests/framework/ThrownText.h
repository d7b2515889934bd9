#pragma once
// The text of the exception of type Exception that f throws, for checking contract texts exactly.
#include <string>

template <class Exception, class F> std::string ThrownText(F f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "nothing thrown";
}
