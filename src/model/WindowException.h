#pragma once
// A window that cannot be made for a document (for example no scale lets its image fit the main
// frame). The open that made it shows the text, closes the document again and gives nothing.
#include <stdexcept>

namespace doc {

class CWindowException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace doc
