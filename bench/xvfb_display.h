#pragma once
// A private virtual X display for the program under test, started and ended by us, so
// that no desktop of the user's is touched and every run sees the same empty screen.

#include <optional>
#include <string>

#include <sys/types.h>

namespace veloris::bench {

class XvfbDisplay {
  public:
    // Starts Xvfb with a black root window and waits until it takes clients. Throws
    // std::runtime_error when it cannot be started or does not come up.
    explicit XvfbDisplay(const std::string& xvfbProgram);
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // e.g. ":1"
    const std::string& name() const { return name_; }

  private:
    pid_t server_ = -1;
    std::string name_;
};

} // namespace veloris::bench
