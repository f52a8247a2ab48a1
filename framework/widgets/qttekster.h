#pragma once
// Qt's own dialogs and menus (the file, font, colour and print dialogs, a text field's context
// menu, the standard buttons) in Norwegian bokmål. Debian ships Qt's catalogue in nynorsk only,
// and the program speaks bokmål everywhere else.
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

} // namespace tavlo::desktop
