#include "ui/control_table.h"

#include <algorithm>
#include <array>

namespace veloris {

namespace {

using enum ControlKind;
using enum Background;

constexpr std::string_view kValuesNote =
    "Les valeurs à lire ou entrer ici doivent être des entiers inférieur à 36000. Chaque valeur "
    "correspond à une temporisation entre chaque micropas. Il est conseillé de lire avant "
    "d'écrire.";

constexpr std::string_view kWritingNote =
    "Pour prendre en compte une écriture, il est nécessaire d'éteindre le module électronique "
    "VELORIS et de le redémarrer";

// clang-format off
constexpr std::array kControls{
    //          name                 kind              text                                       left  top   width height background    tab  enabled readOnly tooltip parent   group
    ControlRow{"Frame1",            Frame,            "",                                        {120,  120,  3855, 375},  LightOrange,  6},
    ControlRow{"COM1",              OptionButton,     "COM1",                                    {120,  0,    855,  255},  LightOrange,  7,   true,   false,   {},     "Frame1", 1},
    ControlRow{"COM2",              OptionButton,     "COM2",                                    {960,  0,    975,  255},  LightOrange,  8,   true,   false,   {},     "Frame1", 2},
    ControlRow{"COM3",              OptionButton,     "COM3",                                    {1920, 0,    855,  255},  LightOrange,  10,  true,   false,   {},     "Frame1", 3},
    ControlRow{"COM4",              OptionButton,     "COM4",                                    {2880, 0,    855,  255},  LightOrange,  9,   true,   false,   {},     "Frame1", 4},
    ControlRow{"Label13",           Label,            "Compatible 68HC11 \"cinetik5\"",          {4920, 0,    2895, 255},  Orange,       34},
    ControlRow{"Label6",            Label,            "Vitesses :",                              {240,  720,  1095, 255},  Orange,       15},
    ControlRow{"Label1",            Label,            "Address",                                 {1560, 720,  735,  255},  Orange,       2},
    ControlRow{"Label2",            Label,            "Data (Hex)",                              {2400, 720,  1575, 255},  Orange,       3},
    ControlRow{"Label4",            Label,            "Valeur (Dec)",                            {4080, 720,  1095, 255},  Orange,       22},
    ControlRow{"Label10",           Label,            kValuesNote,                               {5400, 720,  2295, 1575}, Orange,       27},
    ControlRow{"Label5",            Label,            kSlotControls[0].rowLabel,                 {240,  960,  1095, 255},  Orange,       14,  true,   false,   kSlotControls[0].tooltip},
    ControlRow{"Taddr1",            TextBox,          "F894",                                    {1560, 960,  615,  285},  LightOrange,  1,   false},
    ControlRow{"Tdata1",            TextBox,          "",                                        {2400, 960,  1575, 285},  LightOrange,  4,   false},
    ControlRow{"TValeur1",          TextBox,          "",                                        {4080, 960,  975,  285},  SystemWindow, 21},
    ControlRow{"Label7",            Label,            kSlotControls[1].rowLabel,                 {240,  1200, 1095, 255},  Orange,       16,  true,   false,   kSlotControls[1].tooltip},
    ControlRow{"Taddr2",            TextBox,          "F899",                                    {1560, 1200, 615,  285},  LightOrange,  19,  false},
    ControlRow{"Tdata2",            TextBox,          "",                                        {2400, 1200, 1575, 285},  LightOrange,  20,  false},
    ControlRow{"TValeur2",          TextBox,          "",                                        {4080, 1200, 975,  285},  SystemWindow, 23},
    ControlRow{"Label8",            Label,            kSlotControls[2].rowLabel,                 {240,  1440, 1095, 255},  Orange,       17,  true,   false,   kSlotControls[2].tooltip},
    ControlRow{"Taddr3",            TextBox,          "F89E",                                    {1560, 1440, 615,  285},  LightOrange,  24,  false},
    ControlRow{"Tdata3",            TextBox,          "",                                        {2400, 1440, 1575, 285},  LightOrange,  25,  false},
    ControlRow{"Tvaleur3",          TextBox,          "",                                        {4080, 1440, 975,  285},  SystemWindow, 26},
    ControlRow{"Label9",            Label,            "- rapide",                                {240,  1680, 1095, 255},  Orange,       18,  true,   false,   "Vitesse rapide de la raquette standard"},
    ControlRow{"Text1",             TextBox,          "Non modifiable",                          {2400, 1680, 1575, 285},  LightOrange,  29,  false},
    ControlRow{"Label12",           Label,            kSlotControls[3].rowLabel,                 {240,  2280, 1095, 375},  Orange,       33,  true,   false,   kSlotControls[3].tooltip},
    ControlRow{"TaddrTempo",        TextBox,          "F8A9",                                    {1560, 2400, 615,  285},  LightOrange,  32,  false},
    ControlRow{"TdataTempo",        TextBox,          "",                                        {2400, 2400, 1575, 285},  LightOrange,  31,  false},
    ControlRow{"TvaleurTempo",      TextBox,          "",                                        {4080, 2400, 975,  285},  SystemWindow, 30},
    ControlRow{"Label3",            Label,            "Communication (9600 baud, 8 bit, -pty)",  {240,  3000, 3735, 255},  Orange,       12},
    ControlRow{"Tcomm",             TextBox,          "",                                        {240,  3240, 3735, 285},  LightOrange,  11},
    ControlRow{"Label11",           Label,            kWritingNote,                              {5040, 3240, 1815, 1455}, Orange,       28},
    ControlRow{"Label14",           Label,            "Permet de changer le programme du microcontrôleur contenu sur la carte de commande.",
                                                                                                 {120,  3600, 1935, 1095}, Orange,       36},
    ControlRow{"EDTprg",            MultiLineTextBox, kProgramLogInitialText,                    {2040, 3600, 1815, 1575}, SystemWindow, 37,  true,   true},
    ControlRow{"BTNcharge_program", Button,           "Charger programme dans EEPROM",           {120,  4680, 1935, 495},  ButtonFace,   35},
    ControlRow{"CmdRead",           Button,           "Lecture EEPROM",                          {3960, 4680, 975,  495},  ButtonFace,   5},
    ControlRow{"CmdWrite",          Button,           "Ecriture EEPROM",                         {5040, 4680, 975,  495},  ButtonFace,   13},
    ControlRow{"CmdExit",           Button,           "Sortie",                                  {6720, 4680, 975,  495},  ButtonFace,   0},
};
// clang-format on

constexpr bool OnPixelGrid(const TwipsRect& place) {
    return place.left % kTwipsPerPixel == 0 && place.top % kTwipsPerPixel == 0 &&
           place.width % kTwipsPerPixel == 0 && place.height % kTwipsPerPixel == 0;
}

// The designer snapped everything to whole pixels at 96 dpi; a row off the grid is a typo.
static_assert(std::ranges::all_of(kControls,
                                  [](const ControlRow& row) { return OnPixelGrid(row.place); }));
static_assert(kClientWidthTwips % kTwipsPerPixel == 0 && kClientHeightTwips % kTwipsPerPixel == 0);

// Tab indexes are unique, as the designer keeps them.
constexpr bool TabIndexesUnique() {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        for (std::size_t j = i + 1; j < kControls.size(); ++j) {
            if (kControls[i].tabIndex == kControls[j].tabIndex) {
                return false;
            }
        }
    }
    return true;
}
static_assert(TabIndexesUnique());

// Each slot's controls are in the table, in slot order, as the core's slot table has them.
constexpr bool HasControl(std::string_view name) {
    return std::ranges::any_of(kControls,
                               [name](const ControlRow& row) { return row.name == name; });
}
constexpr bool SlotControlsPresent() {
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        const SlotControls& slot = kSlotControls[i];
        if (slot.key != kSlots[i].key) {
            return false;
        }
        for (const std::string_view name :
             {slot.labelName, slot.addressBox, slot.dataBox, slot.valueBox, slot.guardBox}) {
            if (!HasControl(name)) {
                return false;
            }
        }
    }
    return true;
}
static_assert(SlotControlsPresent());

} // namespace

std::span<const ControlRow> ControlTable() {
    return kControls;
}

} // namespace veloris
