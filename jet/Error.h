// The one error type of the engine. Every failure, from a missing file to a malformed statement
// or a damaged page, is reported as a jet::Error whose message says what was wrong and where.
#pragma once

#include <stdexcept>
#include <string>

namespace jet {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace jet
