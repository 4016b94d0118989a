#include "ui/operation_texts.h"

#include <cstdio>

#include "ui/control_table.h"

namespace veloris {

namespace {

// A row as the messages name it: its label without trailing blanks.
std::string RowName(SlotKey key) {
    for (const SlotControls& slot : kSlotControls) {
        if (slot.key == key) {
            std::string name(slot.rowLabel);
            while (!name.empty() && name.back() == ' ') {
                name.pop_back();
            }
            return name;
        }
    }
    return {};
}

// A value text as the refusal names it: whole when short; otherwise its start and its
// length, since a page of pasted text would make a message box taller than the screen,
// with its OK button out of reach.
constexpr std::size_t kLongestNamedText = 40; // characters

bool StartsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80; // not a UTF-8 continuation byte
}

std::string NamedText(const std::string& text) {
    std::size_t characters = 0;
    std::size_t cut = text.size();
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (StartsCharacter(text[at])) {
            if (characters == kLongestNamedText) {
                cut = at;
            }
            ++characters;
        }
    }
    if (characters <= kLongestNamedText) {
        return text;
    }
    return text.substr(0, cut) + "… (" + std::to_string(characters) + " caractères)";
}

// A write cut short may leave the board inside its write block, taking the next bytes it
// receives as data: only switching it off and on brings it back to its idle state.
constexpr std::string_view kBoardMayWait =
    "\nLa carte attend peut-être encore la suite de l'écriture : éteignez-la puis "
    "rallumez-la avant toute nouvelle lecture ou écriture.";

std::string JoinedLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const auto& line : lines) {
        joined += "\n    " + line;
    }
    return joined;
}

} // namespace

std::string_view MonitorComplaint(MonitorCheck::Step step) {
    switch (step) {
    case MonitorCheck::Step::StartDebug:
        return "erreur init com debug";
    case MonitorCheck::Step::HaltDebug:
        return "erreur init stop debug";
    case MonitorCheck::Step::StopDebug:
        break;
    }
    return "erreur stop debug";
}

std::string OpenFailureMessage(int commPort, const OpenFailure& failure, const HintProbes& probes) {
    const std::string port = "COM" + std::to_string(commPort) + " (" + failure.device + ")";
    switch (failure.reason) {
    case OpenFailure::Reason::Absent:
        return "Impossible d'ouvrir le port " + port +
               " : ce périphérique n'existe pas.\nVérifiez que le câble ou l'adaptateur "
               "USB-série est branché, ou choisissez un autre port." +
               BrlttyHint(failure, probes);
    case OpenFailure::Reason::Busy:
        return "Impossible d'ouvrir le port " + port +
               " : il est déjà utilisé par un autre programme" + HolderText(failure) +
               ".\nFermez ce programme, puis recommencez." + ModemManagerHint(failure, probes);
    case OpenFailure::Reason::PermissionDenied:
        return "Impossible d'ouvrir le port " + port +
               " : accès refusé.\nAjoutez votre compte au groupe « dialout » (commande : sudo "
               "adduser $USER dialout), puis fermez votre session et rouvrez-la.";
    case OpenFailure::Reason::BadSettings:
        return "Impossible d'ouvrir le port " + port +
               " : le périphérique refuse les réglages 9600,N,8,1." +
               (failure.detail.empty() ? "" : "\n(" + failure.detail + ")");
    case OpenFailure::Reason::NotSerialPort:
        return "Impossible d'ouvrir le port " + port +
               " : ce périphérique n'est pas un port série.";
    case OpenFailure::Reason::SystemConsole:
        return "Impossible d'ouvrir le port " + port +
               " : c'est la console du système, qui ne doit pas servir à parler à la carte.";
    case OpenFailure::Reason::Other:
        break;
    }
    return "Impossible d'ouvrir le port " + port + "." +
           (failure.detail.empty() ? "" : "\n(" + failure.detail + ")");
}

std::string LineLostMessage(int commPort, const std::string& device, bool duringWrite) {
    return "La liaison avec la carte par COM" + std::to_string(commPort) + " (" + device +
           ") a été perdue pendant l'échange.\nVérifiez le câble, l'adaptateur et "
           "l'alimentation de la carte, puis recommencez." +
           (duringWrite ? std::string(kBoardMayWait) : std::string());
}

std::string RefusedValuesMessage(const std::vector<RefusedValue>& refused) {
    std::vector<std::string> rows;
    for (const RefusedValue& value : refused) {
        rows.push_back(RowName(value.key) + " : « " + NamedText(value.text) + " »");
    }
    return "Rien n'a été écrit : ces valeurs ne sont pas des nombres entiers de 0 à 65535." +
           JoinedLines(rows) + "\nCorrigez-les, puis recommencez.";
}

std::string UnconfirmedMessage(const std::vector<SlotKey>& unconfirmed, bool lineLost) {
    std::vector<std::string> rows;
    for (const SlotKey key : unconfirmed) {
        rows.push_back(RowName(key));
    }
    return "La carte n'a pas confirmé l'écriture de :" + JoinedLines(rows) +
           "\nVérifiez la liaison, puis relisez les valeurs avec « Lecture EEPROM » avant "
           "d'écrire à nouveau." +
           (lineLost ? std::string() : std::string(kBoardMayWait));
}

std::string BytesAsText(const Bytes& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte < 0x80) {
            text += static_cast<char>(byte);
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string DescribeComm(int n, const std::vector<PresentPort>& ordered) {
    if (n < 1 || static_cast<std::size_t>(n) > ordered.size()) {
        return DeviceForComm(n, ordered) + " (aucun port détecté)";
    }
    const PresentPort& port = ordered[static_cast<std::size_t>(n) - 1];
    std::string text = port.device;
    std::string maker = port.description;
    // Many adapters repeat the maker in the description; once is enough.
    if (!port.manufacturer.empty() && port.manufacturer != port.description) {
        maker += (maker.empty() ? "" : ", ") + port.manufacturer;
    }
    if (!maker.empty()) {
        text += " — " + maker;
    }
    if (!port.byId.empty()) {
        text += "\n" + port.byId;
    }
    std::string identity;
    if (port.usb) {
        char numbers[16];
        std::snprintf(numbers, sizeof numbers, "%04x:%04x", port.usb->vendor, port.usb->product);
        identity = std::string("USB ") + numbers;
    }
    if (!port.serialNumber.empty()) {
        identity +=
            (identity.empty() ? "" : ", ") + std::string("n° de série ") + port.serialNumber;
    }
    if (!identity.empty()) {
        text += "\n" + identity;
    }
    return text;
}

} // namespace veloris
