#include "core/report/CatalogueReportLayout.h"

namespace report {

namespace {
ReportControl label(const char *name, const QString &caption, int left, int top, int width, int height,
                    const QFont &font)
{
    return {QString::fromLatin1(name), ReportControl::Label, caption, QRect(left, top, width, height), font};
}

ReportControl field(const char *name, const QString &fieldName, int left, int top, int width, int height,
                    const QFont &font)
{
    return {QString::fromLatin1(name), ReportControl::Field, fieldName, QRect(left, top, width, height), font};
}

ReportControl line(const char *name, int left, int top, int width)
{
    return {QString::fromLatin1(name), ReportControl::Line, QString(), QRect(left, top, width, 0), QFont()};
}
} // namespace

ReportLayout catalogueReportLayout()
{
    const QString narrow = QStringLiteral("Arial Narrow");
    const QFont caption = reportFont(narrow, 11.25, true);
    const QFont value = reportFont(narrow, 11.25, false);
    const QFont footer = reportFont(QStringLiteral("Verdana"), 9.75, true);

    ReportLayout layout;
    layout.reportWidth = 11340;
    layout.leftMargin = 0;
    layout.rightMargin = 0;
    layout.topMargin = 800;
    layout.bottomMargin = 0;
    layout.defaultFont = reportFont(QStringLiteral("Arial"), 8, false);

    layout.reportHeader
        = {QStringLiteral("Section4"), 570, {label("Label5", QStringLiteral("%D"), 567, 0, 3405, 570, caption)}};

    layout.pageHeader = {QStringLiteral("Section2"),
                         570,
                         {line("Line1", 0, 567, 3969), line("Line2", 3969, 567, 4320),
                          label("Label13", QStringLiteral("Elenco "), 567, 0, 3402, 285, caption)}};

    layout.detail = {QStringLiteral("Section1"),
                     3135,
                     {label("Label2", QStringLiteral("ID"), 567, 0, 570, 255, caption),
                      label("Label1", QStringLiteral("Progr."), 1134, 0, 555, 255, caption),
                      label("Label7", QStringLiteral("Chiave"), 2268, 0, 1710, 285, caption),
                      label("Label3", QStringLiteral("Argomento"), 3969, 0, 1710, 285, caption),
                      label("Label8", QStringLiteral("Testo"), 6236, 0, 1710, 285, caption),
                      field("TextBox2", QStringLiteral("ID"), 567, 567, 1125, 300, value),
                      field("TextBox4", QStringLiteral("Prog"), 1134, 567, 1140, 300, value),
                      field("TextBox3", QStringLiteral("Chiave"), 2268, 567, 2280, 300, value),
                      field("TextBox1", QStringLiteral("Argomento"), 3969, 567, 2280, 300, value),
                      field("TextBox5", QStringLiteral("Testo"), 6236, 567, 2280, 300, value),
                      label("Label12", QStringLiteral("Pubblicazione"), 567, 1134, 1710, 285, caption),
                      label("Label10", QStringLiteral("N°"), 2268, 1134, 555, 255, caption),
                      label("Label11", QStringLiteral("Data"), 3969, 1134, 1140, 255, caption),
                      label("Label9", QStringLiteral("Pag"), 6236, 1134, 1140, 255, caption),
                      field("TextBox6", QStringLiteral("Pubblicazione"), 567, 1701, 2280, 300, value),
                      field("TextBox7", QStringLiteral("N°"), 2268, 1701, 570, 300, value),
                      field("TextBox8", QStringLiteral("Data"), 3969, 1701, 1125, 300, value),
                      field("TextBox9", QStringLiteral("Pag"), 6236, 1701, 1140, 300, value),
                      label("Label14", QStringLiteral("Par"), 567, 2268, 1134, 255, caption),
                      label("Label15", QStringLiteral("Note"), 2268, 2268, 1125, 255, caption),
                      label("Label16", QStringLiteral("Allocazione"), 3969, 2268, 2834, 255, caption),
                      field("TextBox10", QStringLiteral("Par"), 567, 2835, 1134, 300, value),
                      field("TextBox11", QStringLiteral("Note"), 2268, 2835, 1125, 300, value),
                      field("TextBox12", QStringLiteral("Allocazione"), 3969, 2835, 1125, 300, value)}};

    layout.pageFooter = {QStringLiteral("Section3"),
                         570,
                         {label("Label17", QStringLiteral("%p"), 6236, 0, 570, 570, footer),
                          label("Label18", QStringLiteral("Pagina"), 5102, 0, 990, 285, footer),
                          line("Line3", 0, 0, 9075), label("Label4", QStringLiteral("di"), 6803, 0, 570, 285, footer),
                          label("Label6", QStringLiteral("%P"), 7370, 0, 570, 570, footer)}};

    layout.reportFooter = {QStringLiteral("Section5"), 18, {}};
    return layout;
}

} // namespace report
