#pragma once
// A grid's context menu for the attachments a record's notes name: "Apri allegato
// NAME" for each, which opens that file of the attachment folder with the
// desktop's program. A record without attachments has no such menu; the grid's
// own behaviour (selection, editing, keys) stays as it is.
class QTableView;
struct AppContext;

namespace attachmentmenu {

void addTo(QTableView &grid, const AppContext &context);

} // namespace attachmentmenu
