#pragma once

#include <stdexcept>
#include <string>

namespace torvex {

// A failure the user has to see. A handler that meets one is abandoned at that
// point (the steps it already took stay done) and the message is shown in the
// error report. Messages are UTF-8.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // The text of the designer's error report. what() may say more (the
    // system's reason, for the command line); the report keeps the designer's
    // own wording.
    virtual std::string reportText() const { return what(); }
};

} // namespace torvex
