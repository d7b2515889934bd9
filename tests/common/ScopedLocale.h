#pragma once
// Switches every category of the C library's locale for the length of a scope, as a desktop session
// (and QApplication) sets it from the environment.
#include <clocale>
#include <string>

namespace testlocale {

// The locales the tests compare: the C one and two with a decimal comma.
inline const char* const kLocales[] = {"C", "de_DE.UTF-8", "ru_RU.UTF-8"};

class CScopedLocale {
public:
    explicit CScopedLocale(const char* name) : m_saved(std::setlocale(LC_ALL, nullptr)) {
        m_ok = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~CScopedLocale() { std::setlocale(LC_ALL, m_saved.c_str()); }
    CScopedLocale(const CScopedLocale&) = delete;
    CScopedLocale& operator=(const CScopedLocale&) = delete;
    // False when the locale is not installed; the C locale stays then.
    bool ok() const { return m_ok; }

private:
    std::string m_saved;
    bool m_ok = false;
};

} // namespace testlocale
