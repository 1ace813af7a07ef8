#pragma once
// The three lookup families as the main window shows them: the names of their
// controls and how their maintenance frames behave. The main window's layout
// table places the frames; the lookup maintenance works from this one.
#include "core/catalogue/LookupList.h"

namespace lookups {

struct FrameFamily {
    List list;
    const char16_t *toggle;      // the small check box on the entry screen that opens the frame
    const char16_t *frame;       // the maintenance frame, captioned like the table
    const char16_t *frameList;   // the frame's list
    const char16_t *commands[4]; // "Inserisci", "Modifica", "Elimina", "Esci"
    const char16_t *entryList;   // the entry screen's list of the same table
    bool insideEntryScreen;      // the frame sits inside the entry screen, else on the window
    bool lowerCase;              // the text turns to lower case when the list loses focus, and is stored so
    bool openingLoads;           // checking the toggle loads both lists of the table
    bool exitEmptiesList;        // "Esci" empties the frame's list
};

// Publications load on opening as keywords do, so that the frame never opens
// empty after its "Esci" has emptied it.
inline constexpr FrameFamily frameFamilies[] = {
    {List::Chiave,
     u"Check2",
     u"Frame4",
     u"Combo2",
     {u"Command7", u"Command8", u"Command9", u"Command10"},
     u"Combo3",
     true,
     true,
     true,
     true},
    {List::Pubblicazione,
     u"Check3",
     u"Frame5",
     u"Combo4",
     {u"Command14", u"Command13", u"Command12", u"Command11"},
     u"Combo1",
     false,
     true,
     true,
     true},
    {List::Allocazione,
     u"Check8",
     u"Frame6",
     u"Combo5",
     {u"Command21", u"Command16", u"Command17", u"Command18"},
     u"Combo6",
     false,
     false,
     false,
     false},
};

// The date picker's toggle, the fourth of the group: at most one of the four is open.
inline constexpr const char16_t *calendarToggle = u"Check1";

} // namespace lookups
