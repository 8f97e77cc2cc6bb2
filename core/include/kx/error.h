#pragma once
// The one exception type of the portable core. Messages are UTF-8 and are
// meant to be shown to the user as they stand.
#include <stdexcept>
#include <string>

namespace kx {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace kx
