#pragma once
// Qt's own dialogs and menus (the file, font, colour and print dialogs, a text field's context
// menu, the standard buttons) in Norwegian bokmål. Debian ships Qt's catalogue in nynorsk only,
// and the program speaks bokmål everywhere else. With them, the rest of what every program with
// windows sets up: its icon.
#include <QTranslator>

namespace tavlo::desktop {

class QtTekster : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
};

// Installs the texts on the application, for the life of the application.
void installQtTekster();

// The name of the program's menu entry and icon.
inline constexpr const char* kProgramId = "no.tavlo.Tavlo";

// What each program with windows sets up once its application exists: the texts above, and
// the program's icon, from the icon theme or, where no theme has it (the build tree), from the
// data files.
void skrivebordsprogram();

} // namespace tavlo::desktop
