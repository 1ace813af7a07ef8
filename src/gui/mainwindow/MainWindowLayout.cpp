#include "gui/mainwindow/MainWindowLayout.h"

namespace {

using windowlayout::anyLength;
using windowlayout::Control;
using windowlayout::Font;
using enum windowlayout::Kind;

constexpr QRgb menuBlue = qRgb(0xC0, 0xFF, 0xFF);       // menu and entry screen
constexpr QRgb lookupPeach = qRgb(0xFF, 0xE0, 0xC0);    // maintenance frames, entry buttons
constexpr QRgb insertYellow = qRgb(0xFF, 0xFF, 0xC0);   // "Inserisci"
constexpr QRgb deletionYellow = qRgb(0xFF, 0xFF, 0x80); // deletion list

constexpr Font verdana{u"Verdana", 9.75, false};
constexpr Font verdanaBold{u"Verdana", 9.75, true};
constexpr Font smallVerdanaBold{u"Verdana", 8.25, true};
constexpr Qt::Alignment centred = Qt::AlignCenter;

// In the order they are made, which is the order the user fills the entry screen in.
// One control a row, or two where it is long; clang-format would give each field a line.
// clang-format off
constexpr Control controls[] = {
    // The menu screen: check boxes used as commands.
    {.name = u"Frame2", .kind = Frame, .caption = u"Menù", .left = 3720, .top = 2280, .width = 5175, .height = 2655,
     .font = {u"Arial", 9.75, true}, .background = menuBlue},
    {.name = u"Check5", .kind = CheckBox, .parent = u"Frame2", .caption = u"Inserisci/Modifica/Elimina", .left = 360,
     .top = 360, .width = 3735, .height = 375, .background = menuBlue},
    {.name = u"Check4", .kind = CheckBox, .parent = u"Frame2", .caption = u"Ricerca", .left = 360, .top = 720,
     .width = 3735, .height = 375, .background = menuBlue},
    {.name = u"Check6", .kind = CheckBox, .parent = u"Frame2", .caption = u"Stampa Generale", .left = 360, .top = 1080,
     .width = 3735, .height = 375, .background = menuBlue},
    {.name = u"Check10", .kind = CheckBox, .parent = u"Frame2", .caption = u"Funzioni di Servizio", .left = 360,
     .top = 1440, .width = 3735, .height = 375, .background = menuBlue},
    {.name = u"Check12", .kind = CheckBox, .parent = u"Frame2", .caption = u"Istruzioni", .left = 360, .top = 1800,
     .width = 3735, .height = 375, .background = menuBlue},
    {.name = u"Check11", .kind = CheckBox, .parent = u"Frame2", .caption = u"Esci", .left = 360, .top = 2160,
     .width = 3735, .height = 375, .background = menuBlue},

    // The entry screen: the fields' captions, then the fields.
    {.name = u"Frame3", .kind = Frame, .caption = u"Gestione ", .left = 960, .top = 840, .width = 10095,
     .height = 6255, .font = verdana, .background = menuBlue},
    {.name = u"Label6", .kind = Label, .parent = u"Frame3", .caption = u"ID", .left = 600, .top = 360},
    {.name = u"Label7", .kind = Label, .parent = u"Frame3", .caption = u"Chiave", .left = 1560, .top = 360},
    {.name = u"Label8", .kind = Label, .parent = u"Frame3", .caption = u"Argomento", .left = 5400, .top = 360},
    {.name = u"Label9", .kind = Label, .parent = u"Frame3", .caption = u"Testo", .left = 600, .top = 1200},
    {.name = u"Label3", .kind = Label, .parent = u"Frame3", .caption = u"Pubblicazione", .left = 5400, .top = 1200},
    {.name = u"Label12", .kind = Label, .parent = u"Frame3", .caption = u"N°", .left = 8760, .top = 1200},
    {.name = u"Label4", .kind = Label, .parent = u"Frame3", .caption = u"Data", .left = 600, .top = 2040},
    {.name = u"Label5", .kind = Label, .parent = u"Frame3", .caption = u"Pagina", .left = 2400, .top = 2040},
    {.name = u"Label11", .kind = Label, .parent = u"Frame3", .caption = u"Paragr.", .left = 3360, .top = 2040},
    {.name = u"Label1", .kind = Label, .parent = u"Frame3", .caption = u"Note", .left = 4440, .top = 2040},
    {.name = u"Label10", .kind = Label, .parent = u"Frame3", .caption = u"Allocazione", .left = 600, .top = 2880},
    {.name = u"Label13", .kind = Label, .parent = u"Frame3", .caption = u"Progr.Doc.", .left = 600, .top = 3600},
    // Read-only boxes get no length limit: QLineEdit would cut what the program shows.
    {.name = u"Text3", .kind = TextBox, .parent = u"Frame3", .left = 600, .top = 720, .width = 735, .height = 390,
     .alignment = centred, .readOnly = true},
    {.name = u"Combo3", .kind = PickList, .parent = u"Frame3", .left = 1560, .top = 720, .width = 3615, .height = 360,
     .characters = anyLength},
    {.name = u"Text4", .kind = TextBox, .parent = u"Frame3", .left = 5400, .top = 720, .width = 3975, .height = 390,
     .characters = 40},
    {.name = u"Text5", .kind = TextBox, .parent = u"Frame3", .left = 600, .top = 1560, .width = 4575, .height = 390,
     .characters = 40},
    {.name = u"Combo1", .kind = PickList, .parent = u"Frame3", .left = 5400, .top = 1560, .width = 3255,
     .height = 360, .characters = anyLength},
    {.name = u"Text1", .kind = TextBox, .parent = u"Frame3", .left = 8760, .top = 1560, .width = 735, .height = 390,
     .digits = 3, .alignment = centred},
    {.name = u"Text2", .kind = TextBox, .parent = u"Frame3", .left = 600, .top = 2400, .width = 1695, .height = 390,
     .characters = 10, .alignment = centred},
    {.name = u"Text7", .kind = TextBox, .parent = u"Frame3", .left = 2400, .top = 2400, .width = 735, .height = 390,
     .digits = 3, .alignment = centred},
    {.name = u"Text8", .kind = TextBox, .parent = u"Frame3", .left = 3360, .top = 2400, .width = 735, .height = 390,
     .digits = 3, .alignment = centred},
    {.name = u"Text9", .kind = TextArea, .parent = u"Frame3", .left = 4440, .top = 2400, .width = 5055,
     .height = 1455},
    {.name = u"Combo6", .kind = PickList, .parent = u"Frame3", .left = 600, .top = 3240, .width = 3495, .height = 360,
     .characters = anyLength},
    {.name = u"Text10", .kind = TextBox, .parent = u"Frame3", .left = 600, .top = 3840, .width = 1695,
     .height = 375, .alignment = centred, .readOnly = true},

    // The entry screen's commands and modes.
    {.name = u"Command1", .kind = WrappingButton, .parent = u"Frame3", .caption = u"Inserisci", .left = 600,
     .top = 4680, .width = 1695, .height = 495, .face = insertYellow},
    {.name = u"Command3", .kind = WrappingButton, .parent = u"Frame3", .caption = u"Pulisci", .left = 2520,
     .top = 4680, .width = 1695, .height = 495, .font = verdana, .face = lookupPeach},
    {.name = u"Command20", .kind = WrappingButton, .parent = u"Frame3", .caption = u"Modifica", .left = 4440,
     .top = 4680, .width = 1695, .height = 495, .font = verdana, .face = lookupPeach},
    {.name = u"Command5", .kind = WrappingButton, .parent = u"Frame3", .caption = u"Acquisisci da  Scanner",
     .left = 600, .top = 5280, .width = 1695, .height = 495, .font = verdana, .face = lookupPeach},
    {.name = u"Command6", .kind = WrappingButton, .parent = u"Frame3", .caption = u"Visualizza Allegato",
     .left = 2520, .top = 5280, .width = 1695, .height = 495, .font = verdana, .face = lookupPeach},
    {.name = u"Command4", .kind = WrappingButton, .parent = u"Frame3", .caption = u"&Menù", .left = 4440,
     .top = 5280, .width = 1695, .height = 495, .font = verdana, .face = lookupPeach},
    {.name = u"Check7", .kind = CheckBox, .parent = u"Frame3", .caption = u"Interrogazione", .left = 7200,
     .top = 5040, .width = 1935, .height = 375},
    {.name = u"Check9", .kind = CheckBox, .parent = u"Frame3", .caption = u"Elimina Registrazione", .left = 7200,
     .top = 5400, .width = 2775, .height = 255},
    // Deletion mode: the list across the first row, Frame7 over the other fields.
    {.name = u"Combo7", .kind = PickList, .parent = u"Frame3", .left = 480, .top = 720, .width = 9015,
     .height = 315, .font = smallVerdanaBold, .face = deletionYellow},
    {.name = u"Frame7", .kind = Frame, .parent = u"Frame3", .left = 480, .top = 1200, .width = 9015, .height = 3255,
     .background = menuBlue},

    // The small toggles, of which only the box shows: the keyword, publication
    // and location lists' frames and the date picker.
    {.name = u"Check2", .kind = CheckBox, .parent = u"Frame3", .left = 2520, .top = 360, .width = 255, .height = 255},
    {.name = u"Check3", .kind = CheckBox, .parent = u"Frame3", .left = 6840, .top = 1200, .width = 255,
     .height = 255},
    {.name = u"Check1", .kind = CheckBox, .parent = u"Frame3", .left = 1200, .top = 2040, .width = 255,
     .height = 255},
    {.name = u"Check8", .kind = CheckBox, .parent = u"Frame3", .left = 1800, .top = 2880, .width = 255,
     .height = 255},
    {.name = u"Frame1", .kind = Frame, .parent = u"Frame3", .caption = u"Seleziona", .left = 4560, .top = 720,
     .width = 4215, .height = 3735, .background = menuBlue},
    {.name = u"Calendario", .kind = Calendar, .parent = u"Frame1", .left = 120, .top = 360, .width = 3975,
     .height = 3255},
    {.name = u"Command15", .kind = WrappingButton, .parent = u"Frame1", .caption = u"X", .left = 3840, .top = 60,
     .width = 300, .height = 270},

    // The lookup maintenance frames, all three at the same place on the window
    // (Frame4 inside the entry screen): list, "Inserisci", "Modifica", "Elimina", "Esci".
    {.name = u"Frame4", .kind = Frame, .parent = u"Frame3", .caption = u"Chiave", .left = 4320, .top = 1800,
     .width = 5175, .height = 2655, .font = verdanaBold, .background = lookupPeach},
    {.name = u"Combo2", .kind = PickList, .parent = u"Frame4", .left = 600, .top = 720, .width = 3975, .height = 360,
     .characters = anyLength},
    {.name = u"Command7", .kind = WrappingButton, .parent = u"Frame4", .caption = u"Inserisci", .left = 600,
     .top = 1320, .width = 1935, .height = 375},
    {.name = u"Command8", .kind = WrappingButton, .parent = u"Frame4", .caption = u"Modifica", .left = 2640,
     .top = 1320, .width = 1935, .height = 375},
    {.name = u"Command9", .kind = WrappingButton, .parent = u"Frame4", .caption = u"Elimina", .left = 600,
     .top = 1800, .width = 1935, .height = 375},
    {.name = u"Command10", .kind = WrappingButton, .parent = u"Frame4", .caption = u"Esci", .left = 2640,
     .top = 1800, .width = 1935, .height = 375},
    {.name = u"Frame5", .kind = Frame, .caption = u"Pubblicazione", .left = 5280, .top = 2640, .width = 5175,
     .height = 2655, .font = verdanaBold, .background = lookupPeach},
    {.name = u"Combo4", .kind = PickList, .parent = u"Frame5", .left = 600, .top = 720, .width = 3975, .height = 360,
     .characters = anyLength},
    {.name = u"Command14", .kind = WrappingButton, .parent = u"Frame5", .caption = u"Inserisci", .left = 600,
     .top = 1320, .width = 1935, .height = 375},
    {.name = u"Command13", .kind = WrappingButton, .parent = u"Frame5", .caption = u"Modifica", .left = 2640,
     .top = 1320, .width = 1935, .height = 375},
    {.name = u"Command12", .kind = WrappingButton, .parent = u"Frame5", .caption = u"Elimina", .left = 600,
     .top = 1800, .width = 1935, .height = 375},
    {.name = u"Command11", .kind = WrappingButton, .parent = u"Frame5", .caption = u"Esci", .left = 2640,
     .top = 1800, .width = 1935, .height = 375},
    {.name = u"Frame6", .kind = Frame, .caption = u"Allocazione", .left = 5280, .top = 2640, .width = 5175,
     .height = 2655, .font = verdanaBold, .background = lookupPeach},
    {.name = u"Combo5", .kind = PickList, .parent = u"Frame6", .left = 600, .top = 720, .width = 3975, .height = 360,
     .characters = anyLength},
    {.name = u"Command21", .kind = WrappingButton, .parent = u"Frame6", .caption = u"Inserisci", .left = 600,
     .top = 1320, .width = 1935, .height = 375},
    {.name = u"Command16", .kind = WrappingButton, .parent = u"Frame6", .caption = u"Modifica", .left = 2640,
     .top = 1320, .width = 1935, .height = 375},
    {.name = u"Command17", .kind = WrappingButton, .parent = u"Frame6", .caption = u"Elimina", .left = 600,
     .top = 1800, .width = 1935, .height = 375},
    {.name = u"Command18", .kind = WrappingButton, .parent = u"Frame6", .caption = u"Esci", .left = 2640,
     .top = 1800, .width = 1935, .height = 375},

    // On the window: the link picture, the clock (small enough for the whole time
    // and date) and the maker's line.
    {.name = u"Image1", .kind = Label, .left = 9960, .top = 240, .width = 1050, .height = 510,
     .alignment = Qt::AlignLeft | Qt::AlignTop},
    {.name = u"Label2", .kind = Label, .left = 6720, .top = 360, .width = 3015, .height = 255,
     .font = smallVerdanaBold},
    {.name = u"Label14", .kind = Label, .left = 3480, .top = 7200, .width = 4935, .height = 735,
     .font = {u"Calibri", 9, true}, .alignment = Qt::AlignHCenter | Qt::AlignTop},
};

// Top first: on the entry screen the deletion cover and list over everything and
// the captions at the bottom; on the window the lookup frames over the screens.
constexpr const char16_t *stacking[] = {
    // In the entry screen.
    u"Frame7", u"Combo7", u"Check9", u"Check8", u"Text1", u"Combo6", u"Check7", u"Frame4", u"Command6", u"Command5",
    u"Text10", u"Command20", u"Check3", u"Command4", u"Command3", u"Check2", u"Command1", u"Check1", u"Frame1",
    u"Text9", u"Text8", u"Text7", u"Text2", u"Combo1", u"Text5", u"Text4", u"Combo3", u"Text3",
    u"Label6", u"Label7", u"Label8", u"Label9", u"Label3", u"Label12", u"Label4", u"Label5", u"Label11", u"Label1",
    u"Label10", u"Label13",
    // On the window.
    u"Frame6", u"Frame5", u"Frame2", u"Frame3", u"Image1", u"Label14", u"Label2",
};

} // namespace

const windowlayout::Layout &mainWindowLayout()
{
    static const windowlayout::Layout layout{
        {.name = u"Form1", .caption = u"Rudozuzurivaz versione 1 del  25-4-09", .width = 11940, .height = 7860,
         .font = verdanaBold},
        controls,
        stacking};
    return layout;
}
// clang-format on
