#pragma once
// Called while a byte wait blocks, so the window can repaint and answer the desktop's
// liveness pings without taking user input.

namespace veloris {

class WaitObserver {
  public:
    virtual ~WaitObserver() = default;
    virtual void whileWaiting() = 0;
};

} // namespace veloris
