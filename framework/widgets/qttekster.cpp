#include "framework/widgets/qttekster.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>

#include <cstring>
#include <string>

#include "framework/installation.h"

namespace tavlo::desktop {
namespace {

struct Tekst {
    const char* context;
    const char* source;
    const char* norsk;
};

// Qt's source texts, as its widgets ask for them, with their bokmål.
constexpr Tekst kTekster[] = {
    // The standard buttons of every dialog.
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "&Yes", "&Ja"},
    {"QPlatformTheme", "&No", "&Nei"},
    {"QPlatformTheme", "Yes to &All", "Ja til &alle"},
    {"QPlatformTheme", "N&o to All", "Nei til a&lle"},
    {"QPlatformTheme", "Help", "Hjelp"},
    {"QPlatformTheme", "Open", "Åpne"},
    {"QPlatformTheme", "Save", "Lagre"},
    {"QPlatformTheme", "Save All", "Lagre alle"},
    {"QPlatformTheme", "Abort", "Avbryt"},
    {"QPlatformTheme", "Apply", "Bruk"},
    {"QPlatformTheme", "Close", "Lukk"},
    {"QPlatformTheme", "Reset", "Tilbakestill"},
    {"QPlatformTheme", "Retry", "Prøv igjen"},
    {"QPlatformTheme", "Restore Defaults", "Gjenopprett standard"},
    {"QPlatformTheme", "Cancel", "Avbryt"},
    {"QPlatformTheme", "Ignore", "Ignorer"},
    {"QPlatformTheme", "Discard", "Forkast"},
    {"QMessageBox", "Show Details...", "Vis detaljer ..."},
    {"QMessageBox", "Hide Details...", "Skjul detaljer ..."},

    // The file dialog.
    {"QFileDialog", "Look in:", "Se i:"},
    {"QFileDialog", "File &name:", "Fil&navn:"},
    {"QFileDialog", "Directory:", "Mappe:"},
    {"QFileDialog", "Files of type:", "Filtype:"},
    {"QFileDialog", "&Choose", "&Velg"},
    {"QFileDialog", "&Open", "&Åpne"},
    {"QFileDialog", "&Save", "&Lagre"},
    {"QFileDialog", "Open", "Åpne"},
    {"QFileDialog", "Save As", "Lagre som"},
    {"QFileDialog", "Find Directory", "Finn mappe"},
    {"QFileDialog", "Back", "Tilbake"},
    {"QFileDialog", "Go back", "Gå tilbake"},
    {"QFileDialog", "Forward", "Frem"},
    {"QFileDialog", "Go forward", "Gå frem"},
    {"QFileDialog", "Parent Directory", "Overordnet mappe"},
    {"QFileDialog", "Go to the parent directory", "Gå til overordnet mappe"},
    {"QFileDialog", "Create New Folder", "Ny mappe"},
    {"QFileDialog", "Create a New Folder", "Lag en ny mappe"},
    {"QFileDialog", "New Folder", "Ny mappe"},
    {"QFileDialog", "&New Folder", "&Ny mappe"},
    {"QFileDialog", "List View", "Liste"},
    {"QFileDialog", "Change to list view mode", "Vis som liste"},
    {"QFileDialog", "Detail View", "Detaljer"},
    {"QFileDialog", "Change to detail view mode", "Vis med detaljer"},
    {"QFileDialog", "Sidebar", "Sidestolpe"},
    {"QFileDialog", "List of places and bookmarks", "Steder og bokmerker"},
    {"QFileDialog", "Recent Places", "Nylig brukte steder"},
    {"QFileDialog", "My Computer", "Datamaskinen"},
    {"QFileDialog", "&Rename", "&Gi nytt navn"},
    {"QFileDialog", "&Delete", "&Slett"},
    {"QFileDialog", "Delete", "Slett"},
    {"QFileDialog", "Remove", "Fjern"},
    {"QFileDialog", "Show &hidden files", "Vis &skjulte filer"},
    {"QFileDialog", "Directories", "Mapper"},
    {"QFileDialog", "All Files (*)", "Alle filer (*)"},
    {"QFileDialog", "All files (*)", "Alle filer (*)"},
    {"QFileDialog", "File", "Fil"},
    {"QFileDialog", "Files", "Filer"},
    {"QFileDialog", "Folder", "Mappe"},
    {"QFileDialog", "File Folder", "Filmappe"},
    {"QFileDialog", "%1 File", "%1-fil"},
    {"QFileDialog", "Drive", "Stasjon"},
    {"QFileDialog", "Shortcut", "Snarvei"},
    {"QFileDialog", "Unknown", "Ukjent"},
    {"QFileDialog", "Are you sure you want to delete '%1'?",
     "Er du sikker på at du vil slette «%1»?"},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "«%1» er skrivebeskyttet.\nVil du slette den likevel?"},
    {"QFileDialog", "Could not delete directory.", "Kunne ikke slette mappen."},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
     "%1 finnes fra før.\nVil du erstatte den?"},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nFant ikke mappen.\nSjekk at mappenavnet er riktig."},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nFant ikke filen.\nSjekk at filnavnet er riktig."},
    {"QFileSystemModel", "Name", "Navn"},
    {"QFileSystemModel", "Size", "Størrelse"},
    {"QFileSystemModel", "Type", "Type"},
    {"QFileSystemModel", "Kind", "Type"},
    {"QFileSystemModel", "Date Modified", "Endret"},
    {"QFileSystemModel", "Computer", "Datamaskin"},
    {"QFileSystemModel", "My Computer", "Datamaskinen"},
    {"QFileSystemModel", "Invalid filename", "Ugyldig filnavn"},
    {"QFileSystemModel",
     "<b>The name \"%1\" cannot be used.</b><p>Try using another name, with fewer characters or "
     "no punctuation marks.",
     "<b>Navnet «%1» kan ikke brukes.</b><p>Prøv et annet navn, med færre tegn eller uten "
     "skilletegn."},

    // A text field's context menu.
    {"QLineEdit", "&Undo", "&Angre"},
    {"QLineEdit", "&Redo", "&Gjør om"},
    {"QLineEdit", "Cu&t", "Klipp &ut"},
    {"QLineEdit", "&Copy", "&Kopier"},
    {"QLineEdit", "&Paste", "&Lim inn"},
    {"QLineEdit", "Delete", "Slett"},
    {"QLineEdit", "Select All", "Merk alt"},
    {"QWidgetTextControl", "&Undo", "&Angre"},
    {"QWidgetTextControl", "&Redo", "&Gjør om"},
    {"QWidgetTextControl", "Cu&t", "Klipp &ut"},
    {"QWidgetTextControl", "&Copy", "&Kopier"},
    {"QWidgetTextControl", "Copy &Link Location", "Kopier &lenkeadresse"},
    {"QWidgetTextControl", "&Paste", "&Lim inn"},
    {"QWidgetTextControl", "Delete", "Slett"},
    {"QWidgetTextControl", "Select All", "Merk alt"},

    // The font and colour dialogs (the layout's fonts and colours).
    {"QFontDialog", "Select Font", "Velg skrift"},
    {"QFontDialog", "&Font", "&Skrift"},
    {"QFontDialog", "Font st&yle", "Skrifts&til"},
    {"QFontDialog", "&Size", "St&ørrelse"},
    {"QFontDialog", "Effects", "Effekter"},
    {"QFontDialog", "Stri&keout", "&Gjennomstreket"},
    {"QFontDialog", "&Underline", "&Understreket"},
    {"QFontDialog", "Sample", "Eksempel"},
    {"QFontDialog", "Wr&iting System", "Skrive&system"},
    {"QColorDialog", "Select Color", "Velg farge"},
    {"QColorDialog", "&Basic colors", "&Grunnfarger"},
    {"QColorDialog", "&Custom colors", "&Egne farger"},
    {"QColorDialog", "&Add to Custom Colors", "Legg til &egne farger"},
    {"QColorDialog", "&Pick Screen Color", "&Hent farge fra skjermen"},
    {"QColorDialog", "Cursor at %1, %2\nPress ESC to cancel",
     "Markøren ved %1, %2\nTrykk Esc for å avbryte"},
    {"QColorDialog", "Hu&e:", "&Kulør:"},
    {"QColorDialog", "&Sat:", "&Metning:"},
    {"QColorDialog", "&Val:", "&Verdi:"},
    {"QColorDialog", "&Red:", "&Rød:"},
    {"QColorDialog", "&Green:", "&Grønn:"},
    {"QColorDialog", "Bl&ue:", "&Blå:"},
    {"QColorDialog", "A&lpha channel:", "&Alfakanal:"},
    {"QColorDialog", "&HTML:", "&HTML:"},

    // The print dialog.
    {"QPrintDialog", "Print", "Skriv ut"},
    {"QPrintDialog", "&Print", "&Skriv ut"},
    {"QPrintDialog", "OK", "OK"},
    {"QPrintDialog", "&Options >>", "&Valg >>"},
    {"QPrintDialog", "&Options <<", "&Valg <<"},
    {"QPrintDialog", "Print to File (PDF)", "Skriv til fil (PDF)"},
    {"QPrintDialog", "Print To File ...", "Skriv til fil ..."},
    {"QPrintDialog", "Write PDF file", "Skriv PDF-fil"},
    {"QPrintDialog", "Local file", "Lokal fil"},
    {"QPrintDialog", "All Pages", "Alle sider"},
    {"QPrintDialog", "Odd Pages", "Oddetallssider"},
    {"QPrintDialog", "Even Pages", "Partallssider"},
    {"QPrintDialog", "Invalid Pages Definition", "Ugyldige sider"},
    {"QPrintDialog",
     "%1 does not follow the correct syntax. Please use ',' to separate ranges and pages, '-' to "
     "define ranges and make sure ranges do not intersect with each other.",
     "%1 kan ikke leses. Skill sider og sideområder med «,», skriv et område med «-» (3-5), og "
     "la ikke områdene overlappe."},
    {"QPrintDialog", "The 'From' value cannot be greater than the 'To' value.",
     "Fra-siden kan ikke være større enn til-siden."},
    {"QPrintDialog", "%1 already exists.\nDo you want to overwrite it?",
     "%1 finnes fra før.\nVil du skrive over den?"},
    {"QPrintDialog", "%1 is a directory.\nPlease choose a different file name.",
     "%1 er en mappe.\nVelg et annet filnavn."},
    {"QPrintDialog", "File %1 is not writable.\nPlease choose a different file name.",
     "Filen %1 kan ikke skrives.\nVelg et annet filnavn."},
    {"QPrintDialog", "Duplex Settings Conflicts", "Tosidig utskrift går ikke sammen"},
    {"QPrintDialog", "There are conflicts in duplex settings. Do you want to fix them?",
     "Valgene for tosidig utskrift går ikke sammen. Vil du rette dem?"},
    {"QPrintDialog",
     "Options 'Pages Per Sheet' and 'Page Set' cannot be used together.\nPlease turn one of "
     "those options off.",
     "«Sider per ark» og «Sidesett» kan ikke brukes sammen.\nSlå av ett av dem."},
    {"QPrintWidget", "Printer", "Skriver"},
    {"QPrintWidget", "&Name:", "&Navn:"},
    {"QPrintWidget", "P&roperties", "&Egenskaper"},
    {"QPrintWidget", "Location:", "Plassering:"},
    {"QPrintWidget", "Preview", "Forhåndsvisning"},
    {"QPrintWidget", "Type:", "Type:"},
    {"QPrintWidget", "Output &file:", "Utdata&fil:"},
    {"QPrintSettingsOutput", "Copies", "Eksemplarer"},
    {"QPrintSettingsOutput", "Copies:", "Eksemplarer:"},
    {"QPrintSettingsOutput", "Print range", "Utskriftsområde"},
    {"QPrintSettingsOutput", "Print all", "Alle sider"},
    {"QPrintSettingsOutput", "Pages from", "Sider fra"},
    {"QPrintSettingsOutput", "to", "til"},
    {"QPrintSettingsOutput", "Pages", "Sider"},
    {"QPrintSettingsOutput", "Current Page", "Gjeldende side"},
    {"QPrintSettingsOutput", "Selection", "Utvalg"},
    {"QPrintSettingsOutput", "Collate", "Sorter"},
    {"QPrintSettingsOutput", "Reverse", "Baklengs"},
    {"QPrintSettingsOutput", "Options", "Valg"},
    {"QPrintSettingsOutput", "Output Settings", "Utskriftsvalg"},
    {"QPrintSettingsOutput", "Color Mode", "Farger"},
    {"QPrintSettingsOutput", "Color", "Farger"},
    {"QPrintSettingsOutput", "Grayscale", "Gråtoner"},
    {"QPrintSettingsOutput", "Double Sided Printing", "Tosidig utskrift"},
    {"QPrintSettingsOutput", "Off", "Av"},
    {"QPrintSettingsOutput", "Long side binding", "Innbinding på langsiden"},
    {"QPrintSettingsOutput", "Short side binding", "Innbinding på kortsiden"},
    {"QPrintSettingsOutput", "Page Set:", "Sidesett:"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated "
     "by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "Skriv sider eller områder med komma mellom. Et område er to sidetall med bindestrek "
     "mellom: 3,5-7,9 skriver ut side 3, 5, 6, 7 og 9."},
    {"QPrintPropertiesWidget", "Page", "Side"},
    {"QPrintPropertiesWidget", "Advanced", "Avansert"},
    {"QPrintPropertiesDialog", "Printer Properties", "Skriverens egenskaper"},
    {"QPrintPropertiesDialog", "Job Options", "Jobbvalg"},
    {"QPageSetupWidget", "Paper", "Papir"},
    {"QPageSetupWidget", "Page size:", "Sidestørrelse:"},
    {"QPageSetupWidget", "Width:", "Bredde:"},
    {"QPageSetupWidget", "Height:", "Høyde:"},
    {"QPageSetupWidget", "Paper source:", "Papirkilde:"},
    {"QPageSetupWidget", "Orientation", "Retning"},
    {"QPageSetupWidget", "Portrait", "Stående"},
    {"QPageSetupWidget", "Landscape", "Liggende"},
    {"QPageSetupWidget", "Reverse landscape", "Omvendt liggende"},
    {"QPageSetupWidget", "Reverse portrait", "Omvendt stående"},
    {"QPageSetupWidget", "Margins", "Marger"},
    {"QPageSetupWidget", "top margin", "toppmarg"},
    {"QPageSetupWidget", "bottom margin", "bunnmarg"},
    {"QPageSetupWidget", "left margin", "venstre marg"},
    {"QPageSetupWidget", "right margin", "høyre marg"},
    {"QPageSetupWidget", "Page Layout", "Sideoppsett"},
    {"QPageSetupWidget", "Page order:", "Siderekkefølge:"},
    {"QPageSetupWidget", "Pages per sheet:", "Sider per ark:"},
    {"QPageSetupWidget", "Custom", "Egendefinert"},
    {"QPageSetupWidget", "Millimeters (mm)", "Millimeter (mm)"},
    {"QPageSetupWidget", "Inches (in)", "Tommer (in)"},
    {"QPageSetupWidget", "Points (pt)", "Punkter (pt)"},
};

} // namespace

QString QtTekster::translate(const char* context, const char* sourceText,
                             const char* /*disambiguation*/, int /*n*/) const
{
    if (!context || !sourceText)
        return {};
    for (const Tekst& t : kTekster)
        if (std::strcmp(t.source, sourceText) == 0 && std::strcmp(t.context, context) == 0)
            return QString::fromUtf8(t.norsk);
    return {};
}

void installQtTekster()
{
    QCoreApplication::installTranslator(new QtTekster(QCoreApplication::instance()));
}

void skrivebordsprogram()
{
    installQtTekster();
    const QString id = QString::fromLatin1(kProgramId);
    QGuiApplication::setWindowIcon(QIcon::fromTheme(
        id, QIcon(QString::fromStdString(dataFile(std::string(kProgramId) + ".png")))));
}

} // namespace tavlo::desktop
