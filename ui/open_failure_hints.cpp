#include "ui/open_failure_hints.h"

#include "serial/brltty_probe.h"
#include "serial/process_table.h"

namespace veloris {

namespace {

constexpr std::string_view kModemManager = "ModemManager";

std::string_view KernelName(std::string_view device) {
    const std::size_t slash = device.rfind('/');
    return slash == std::string_view::npos ? device : device.substr(slash + 1);
}

bool IsUsbSerialName(std::string_view name) {
    return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

} // namespace

HintProbes SystemHintProbes() {
    return HintProbes{[](std::string_view name) { return ProcessRunning(name); },
                      [] { return BrlttyInstalled(); }};
}

std::string HolderText(const OpenFailure::Holder& holder) {
    const std::string pid = "pid " + std::to_string(holder.pid);
    return holder.program.empty() ? " (" + pid + ")" : " (" + holder.program + ", " + pid + ")";
}

std::string HolderText(const OpenFailure& failure) {
    return failure.holder ? HolderText(*failure.holder) : std::string{};
}

std::string ModemManagerHint(const OpenFailure& failure, const HintProbes& probes) {
    if (failure.reason != OpenFailure::Reason::Busy) {
        return {};
    }
    const bool heldByIt = failure.holder && failure.holder->program == kModemManager;
    const bool maybeIt =
        !failure.holder && probes.processRunning && probes.processRunning(kModemManager);
    if (!heldByIt && !maybeIt) {
        return {};
    }
    std::string name(KernelName(failure.device));
    if (name.empty()) {
        name = "ttyUSB0";
    }
    return std::string("\n") +
           (heldByIt ? "ModemManager" : "ModemManager tourne sur cette machine : il") +
           " examine pendant quelques secondes chaque adaptateur qu'on vient de brancher : "
           "attendez un peu, puis recommencez.\nPour qu'il laisse ce port de côté, créez le "
           "fichier /etc/udev/rules.d/99-veloris.rules contenant la ligne\nKERNEL==\"" +
           name + "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\npuis débranchez et rebranchez l'adaptateur.";
}

std::string BrlttyHint(const OpenFailure& failure, const HintProbes& probes) {
    if (failure.reason != OpenFailure::Reason::Absent ||
        !IsUsbSerialName(KernelName(failure.device)) || !probes.brlttyInstalled ||
        !probes.brlttyInstalled()) {
        return {};
    }
    return "\nLe programme brltty (afficheurs braille) a peut-être pris l'adaptateur : "
           "vérifiez-le avec « sudo dmesg | grep brltty » et, si vous n'utilisez pas "
           "d'afficheur braille, arrêtez-le avec « sudo systemctl mask --now brltty-udev.service "
           "brltty.service » ou retirez-le avec « sudo apt remove brltty ».";
}

} // namespace veloris
