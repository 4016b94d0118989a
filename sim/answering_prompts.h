#pragma once
// The program-load exchange's user, answering at once: for the tests, the fuzz targets and
// the benchmark, which run the real operations with nobody at the screen.

#include <string>
#include <vector>

#include "operations/program_load.h"

namespace veloris {

class AnsweringPrompts final : public ProgramLoadPrompts {
  public:
    explicit AnsweringPrompts(std::string path = "C:\\.S19") : path(std::move(path)) {}

    void warnBeforeLoading() override { ++warnings; }
    std::string askFilePath() override {
        ++questions;
        return path;
    }
    void checkFailed(const MonitorCheck& check) override { failedChecks.push_back(check); }
    void askTelescopeStopped() override { ++stoppedQuestions; }

    std::string path;
    int warnings = 0;
    int questions = 0;
    int stoppedQuestions = 0;
    std::vector<MonitorCheck> failedChecks;
};

} // namespace veloris
