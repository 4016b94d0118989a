#pragma once
// The window as the form designer laid it out: one row per control, positions in twips
// from the top-left corner of the client area (or of the frame that holds the control).
// Everything the window builds comes from this table; nothing is placed by hand.

#include <array>
#include <span>
#include <string_view>

#include "protocol/parameter_slots.h"

namespace veloris {

// Designer units: 1/1440 inch, 15 to a pixel at 96 dots per inch. Qt's high-DPI scaling
// takes the device-independent pixels on from there.
inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kDarkRed{192, 0, 0};
inline constexpr Rgb kOrange{255, 128, 0};
inline constexpr Rgb kLightOrange{255, 192, 128};

enum class ControlKind {
    Frame,            // a frame without caption, holding option buttons
    OptionButton,     // one button of the COM group
    Label,            // word-wrapped text on a coloured background
    TextBox,          // single-line text box
    MultiLineTextBox, // multi-line, vertical scroll bar
    Button,           // command button; its caption wraps like the designer's buttons
};

enum class Background {
    Orange,
    LightOrange,
    SystemWindow, // the platform's text-entry background, normally white
    ButtonFace,   // the platform's button colour
};

struct ControlRow {
    std::string_view name;
    ControlKind kind;
    std::string_view text;
    TwipsRect place;
    Background background;
    int tabIndex;
    bool enabled = true;
    bool readOnly = false;
    std::string_view tooltip = {};
    std::string_view parent = {}; // empty: the window's client area
    int groupIndex = 0;           // the COM index 1 to 4 of an option button
};

inline constexpr std::string_view kWindowName = "FRMprogram";
inline constexpr std::string_view kWindowCaption = "Electronic VELORIS interface - V1.1";
inline constexpr int kClientWidthTwips = 7830;
inline constexpr int kClientHeightTwips = 5205;

// The designer's font; the platform resolves it to a metric-compatible face (window_font.h).
inline constexpr std::string_view kWindowFontFamily = "MS Sans Serif";
inline constexpr double kWindowFontPoints = 8.25;

// The COM option button selected when the window opens.
inline constexpr int kSelectedAtStart = 1;

// The initial text of EDTprg ends with a carriage return and a line feed.
inline constexpr std::string_view kProgramLogInitialText = "Programme à charger...\r\n";

// The window's part of a parameter slot: its row and the boxes bound to it.
struct SlotControls {
    SlotKey key;
    std::string_view labelName;  // the row label control
    std::string_view rowLabel;   // its text
    std::string_view tooltip;    // its tooltip
    std::string_view addressBox; // the EEPROM address as four hex digits
    std::string_view dataBox;    // the record's bytes as hex pairs
    std::string_view valueBox;   // the value in decimal
    // The box whose text lets the write through: slot 1 is written whenever its value box
    // holds text, the others only once a read has put a record in their data box.
    std::string_view guardBox;
};

// clang-format off
inline constexpr std::array<SlotControls, kSlotCount> kSlotControls{{
    {SlotKey::Sidereal, "Label5",  "- sidéral ",    "Vitesse de suivi sidéral",
     "Taddr1",     "Tdata1",     "TValeur1",     "TValeur1"},
    {SlotKey::Guiding,  "Label7",  "- rattrapage",  "Vitesse lente pour autoguidage ou rappel photographique",
     "Taddr2",     "Tdata2",     "TValeur2",     "Tdata2"},
    {SlotKey::Centring, "Label8",  "- centrage",    "Vitesse lente raquette standard",
     "Taddr3",     "Tdata3",     "Tvaleur3",     "Tdata3"},
    {SlotKey::Tempo,    "Label12", "Tempo PV/GV :", "Temporisation de passage de PV en GV sur la raquette standard",
     "TaddrTempo", "TdataTempo", "TvaleurTempo", "TdataTempo"},
}};
// clang-format on

// The window's part of the slot at `index` of kSlots.
constexpr const SlotControls& ControlsOf(std::size_t index) {
    return kSlotControls[index];
}

// Every control of the window, row by row from the top.
std::span<const ControlRow> ControlTable();

// True for the controls that Tab stops at when they are enabled.
constexpr bool TakesFocus(const ControlRow& row) {
    return row.enabled && row.kind != ControlKind::Label && row.kind != ControlKind::Frame;
}

} // namespace veloris
