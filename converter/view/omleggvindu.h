#pragma once
// The converter's window: the backup check box, "Konverter" and "Avslutt", and the window
// "Vent, konvertering pågår" while the tables are converted.
#include <QDialog>

#include <memory>
#include <string>

class QCheckBox;
class QPushButton;

namespace tavlo {
class Context;
namespace omlegg {
class Omlegging;
}
} // namespace tavlo

namespace tavlo::desktop {

class OmleggVindu : public QDialog {
  public:
    // Converts the folder `mappe`; the context's answer service shows the messages.
    OmleggVindu(Context& ctx, const std::string& mappe, QWidget* parent = nullptr);
    ~OmleggVindu() override;

    QCheckBox* sikkerhetskopi() const { return sikkerhetskopi_; }
    QPushButton* konverter() const { return konverter_; }

  protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

  private:
    void konverterTrykket();

    std::unique_ptr<omlegg::Omlegging> regler_;
    QCheckBox* sikkerhetskopi_;
    QPushButton* konverter_;
    QPushButton* avslutt_;
    bool opptatt_ = false;
};

// The picture at the top of the window.
QPixmap omleggBilde();

} // namespace tavlo::desktop
