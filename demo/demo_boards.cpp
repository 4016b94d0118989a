#include "demo/demo_boards.h"

#include <chrono>

namespace veloris {

namespace {

// Values like those of a drive in use: delays between micro-steps, below 36000, each slot's
// different (18750, 12500, 9375, 7500, ...).
constexpr std::uint16_t PlausibleValue(std::size_t slot) {
    return static_cast<std::uint16_t>(37500 / (slot + 2));
}
constexpr std::chrono::milliseconds kSlowBoardDelay{150};

std::unique_ptr<PtyBoard> BoardWithPlausibleValues(BoardBehaviour behaviour) {
    auto board = std::make_unique<PtyBoard>(BoardSetup(behaviour));
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        board->setSlotValue(kSlots[slot].address, PlausibleValue(slot));
    }
    return board;
}

} // namespace

DemoBoards::DemoBoards()
    : demos_{{
          {BoardWithPlausibleValues(BoardBehaviour::Pacing()),
           "carte simulée qui répond normalement"},
          {BoardWithPlausibleValues(BoardBehaviour::Silent()),
           "aucune carte : rien ne répond (chaque octet attendu coûte 2 s)"},
          {BoardWithPlausibleValues(BoardBehaviour::Slow(kSlowBoardDelay) |
                                    BoardBehaviour::Pacing()),
           "carte simulée lente (150 ms avant chaque octet)"},
          {BoardWithPlausibleValues(BoardBehaviour::Burst()),
           "carte simulée qui envoie ses octets en rafale"},
      }} {}

std::string DemoBoards::device(int commPort) const {
    if (commPort < 1 || commPort > static_cast<int>(demos_.size())) {
        return "/dev/null/COM" + std::to_string(commPort);
    }
    return demos_[commPort - 1].board->slavePath();
}

std::string DemoBoards::describe(int commPort) const {
    if (commPort < 1 || commPort > static_cast<int>(demos_.size())) {
        return "";
    }
    const Demo& demo = demos_[commPort - 1];
    return "Démo : " + demo.description + " (" + demo.board->slavePath() + ")";
}

} // namespace veloris
